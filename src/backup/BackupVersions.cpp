#include "BackupVersions.h"

#include "NativeFiles.h"
#include "Platform.h"

#include <QList>
#include <QPair>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>

namespace tillora {

namespace fs = std::filesystem;

namespace {

const QString DayPicture = QStringLiteral("yyyy-MM-dd");
const QString BackupFolderName = QStringLiteral("\\TLRAbackup");

// No such file, as a look at it says it (the standard library's "not found").
bool isNotFound(int error) {
    return error == ENOENT || error == ENOTDIR;
}

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
    return removeFolderTree(folder);
}

// Moves each file below `from` that `into` lacks to the same place below `into`, by a
// rename on the same drive, so a run killed part way leaves every copy whole in one of
// the two. A copy `into` already has is older and stays. False when a file could not be
// moved; it stays where it was.
bool moveMissingFiles(const fs::path& from, const fs::path& into) {
    const FolderListing listing = listFolder(from);
    bool whole = listing.readable;
    for (const fs::path& name : listing.files) {
        // A damaged copy is no version: it goes with its folder.
        if (isDamagedCopyName(displayName(name)))
            continue;
        const FileFacts there = fileFacts(into / name, false);
        if (there.kind != FileFacts::Kind::Missing || !isNotFound(there.error)) {
            // unknown: better kept twice than lost
            whole = whole && there.kind != FileFacts::Kind::Missing;
            continue;
        }
        whole = makeFolders(into) && renameEntry(from / name, into / name) && whole;
    }
    for (const fs::path& name : listing.folders)
        whole = moveMissingFiles(from / name, into / name) && whole;
    return whole;
}

// One folder leaving: its files merged into the kept folder first, then the folder
// removed, but only when every file that was to move did.
bool applyMerge(const QList<QPair<QDate, fs::path>>& folders, const VersionMerge& merge) {
    const auto pathOf = [&](const QDate& day) {
        for (const auto& [date, path] : folders) {
            if (date == day)
                return path;
        }
        return fs::path();
    };
    const fs::path from = pathOf(merge.from);
    if (merge.into && !moveMissingFiles(from, pathOf(*merge.into)))
        return false;
    return removeFolder(from);
}

int removeDamagedBelow(const fs::path& folder) {
    const FolderListing listing = listFolder(folder);
    int removed = 0;
    for (const fs::path& name : listing.files) {
        if (isDamagedCopyName(displayName(name)) && removeFile(folder / name))
            ++removed;
    }
    for (const fs::path& name : listing.folders)
        removed += removeDamagedBelow(folder / name);
    return removed;
}

QList<QDate> datesOf(const QList<QPair<QDate, fs::path>>& folders) {
    QList<QDate> dates;
    for (const auto& folder : folders)
        dates.append(folder.first);
    return dates;
}

} // namespace

QString versionsRoot(const QString& drive) {
    return drive.left(2) + QStringLiteral("\\TLRAversions\\");
}

QString pathBelowBackup(const QString& backupFolder) {
    QString below = backupFolder.mid(2);
    if (below.startsWith(BackupFolderName, Qt::CaseInsensitive))
        below.remove(0, BackupFolderName.size());
    while (below.startsWith(u'\\'))
        below.remove(0, 1);
    while (below.endsWith(u'\\'))
        below.chop(1);
    return below;
}

QString versionFolderFor(const QString& backupFolder, const QDate& day) {
    const QString below = pathBelowBackup(backupFolder);
    QString folder = versionsRoot(backupFolder) + day.toString(DayPicture);
    if (!below.isEmpty())
        folder += u'\\' + below;
    return folder;
}

int removeExpiredVersions(const Platform& platform, const QString& drive, const QDate& today,
                          const VersionLimits& limits) {
    const auto folders = datedFolders(platform, drive);
    int removed = 0;
    // A kept folder that missed a file of one merge takes no newer copies this run: the
    // missed file's older copy must reach it first.
    QList<QDate> stalled;
    for (const VersionMerge& merge : VersionTiers(datesOf(folders), today, limits).expired()) {
        if (merge.into && stalled.contains(*merge.into))
            continue;
        if (applyMerge(folders, merge))
            ++removed;
        else if (merge.into)
            stalled.append(*merge.into);
    }
    return removed;
}

QList<QDate> versionDays(const Platform& platform, const QString& drive) {
    return datesOf(datedFolders(platform, drive));
}

QString versionDayFolder(const QString& drive, const QDate& day) {
    return versionsRoot(drive) + day.toString(DayPicture);
}

QDate oldestVersionDay(const Platform& platform, const QString& drive) {
    const auto folders = datedFolders(platform, drive);
    return folders.isEmpty() ? QDate() : folders.first().first;
}

bool removeVersionsForRoom(const Platform& platform, const QString& drive, const QDate& today,
                           const VersionLimits& limits) {
    const auto folders = datedFolders(platform, drive);
    const auto next = VersionTiers(datesOf(folders), today, limits).nextToFree();
    return next && applyMerge(folders, *next);
}

QString damagedCopySuffix(const QDate& day) {
    return QStringLiteral(".damaged-") + day.toString(DayPicture);
}

bool isDamagedCopyName(const QString& name) {
    static const QRegularExpression damaged(QStringLiteral("\\.damaged-\\d{4}-\\d\\d-\\d\\d$"));
    return damaged.match(name).hasMatch();
}

int removeDamagedCopies(const Platform& platform, const QString& drive) {
    return removeDamagedBelow(toFsPath(platform.nativePath(versionsRoot(drive))));
}

} // namespace tillora
