#include "BackupVersions.h"

#include "NativeFiles.h"
#include "Platform.h"

#include <QList>
#include <QPair>

#include <algorithm>

namespace tillora {

namespace fs = std::filesystem;

namespace {

const QString DayPicture = QStringLiteral("yyyy-MM-dd");
const QString BackupFolderName = QStringLiteral("\\TLRAbackup");

// The dated folders of a drive, oldest first; other names there are not ours.
QList<QPair<QDate, fs::path>> datedFolders(const Platform& platform, const QString& drive) {
    const fs::path root = toFsPath(platform.nativePath(versionsRoot(drive)));
    QList<QPair<QDate, fs::path>> folders;
    for (const fs::path& name : listFolder(root).folders) {
        const QDate day = QDate::fromString(displayName(name), DayPicture);
        if (day.isValid() && displayName(name).size() == DayPicture.size())
            folders.append({day, root / name});
    }
    std::sort(folders.begin(), folders.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    return folders;
}

bool removeFolder(const fs::path& folder) {
    std::error_code error;
    fs::remove_all(folder, error);
    return !error;
}

} // namespace

QString versionsRoot(const QString& drive) {
    return drive.left(2) + QStringLiteral("\\TLRAversions\\");
}

QString versionFolderFor(const QString& backupFolder, const QDate& day) {
    QString below = backupFolder.mid(2);
    if (below.startsWith(BackupFolderName, Qt::CaseInsensitive))
        below.remove(0, BackupFolderName.size());
    while (below.startsWith(u'\\'))
        below.remove(0, 1);
    while (below.endsWith(u'\\'))
        below.chop(1);
    QString folder = versionsRoot(backupFolder) + day.toString(DayPicture);
    if (!below.isEmpty())
        folder += u'\\' + below;
    return folder;
}

int removeVersionsOlderThan(const Platform& platform, const QString& drive, const QDate& today,
                            int keepDays) {
    int removed = 0;
    for (const auto& [day, folder] : datedFolders(platform, drive)) {
        const bool expired = keepDays <= 0 || day.daysTo(today) > keepDays;
        if (expired && removeFolder(folder))
            ++removed;
    }
    return removed;
}

QDate oldestVersionDay(const Platform& platform, const QString& drive) {
    const auto folders = datedFolders(platform, drive);
    return folders.isEmpty() ? QDate() : folders.first().first;
}

bool removeOldestVersions(const Platform& platform, const QString& drive, const QDate& today) {
    for (const auto& [day, folder] : datedFolders(platform, drive)) {
        if (day < today)
            return removeFolder(folder);
    }
    return false;
}

} // namespace tillora
