#include "RestoreCatalog.h"

#include "BackupVersions.h"
#include "NativeFiles.h"
#include "Platform.h"

#include <QLocale>
#include <QSet>

#include <algorithm>

namespace tillora {

namespace fs = std::filesystem;

namespace {

const QString BackupRoot = QStringLiteral("\\TLRAbackup");

// The program's own temporary files (".tlra-<hex>.partial", ".tlra-probe-...") and the
// damaged copies kept as evidence are never a file to give back.
bool isShown(const fs::path& name) {
    const QString text = displayName(name);
    return !text.startsWith(QLatin1String(".tlra-")) && !isDamagedCopyName(text) &&
           !text.endsWith(QLatin1String(".tlra-partial"), Qt::CaseInsensitive);
}

QString joined(const QString& folder, const QString& name) {
    return folder.isEmpty() ? name : folder + u'\\' + name;
}

// Every file below `here`, the folder `folder` below the backup's top, each with its facts.
void collect(const fs::path& here, const QString& folder, QList<BackedUpFile>& files) {
    const FolderListing listing = listFolder(here);
    for (const fs::path& name : listing.files) {
        const FileFacts facts = fileFacts(here / name, false);
        if (!facts.isFile() || !isShown(name))
            continue;
        files.append({folder, name, here / name, facts.size, calendarTime(facts.modified)});
    }
    for (const fs::path& name : listing.folders) {
        if (isShown(name))
            collect(here / name, joined(folder, displayName(name)), files);
    }
}

QString keyOf(const BackedUpFile& file) {
    return file.relativePath().toCaseFolded();
}

} // namespace

QString RestoreMoment::caption() const {
    if (kind == Kind::Newest)
        return QStringLiteral("Newest backup");
    static const char* const tiers[] = {"", "day folder", "weekly folder", "monthly folder"};
    return QStringLiteral("Before the backup of %1 (%2)")
        .arg(QLocale::c().toString(folderDay, QStringLiteral("ddd d MMM yyyy")),
             QLatin1String(tiers[int(kind)]));
}

QString BackedUpFile::shownName() const {
    return displayName(name);
}

QString BackedUpFile::relativePath() const {
    return joined(folder, shownName());
}

RestoreCatalog::RestoreCatalog(const Platform& platform, QString drive, VersionLimits limits)
    : platform_(platform)
    , drive_(std::move(drive))
    , limits_(limits) {
}

QList<RestoreMoment> RestoreCatalog::moments(const QDate& today) const {
    const QList<QDate> days = versionDays(platform_, drive_);
    const VersionTiers tiers(days, today, limits_);
    QList<RestoreMoment> moments{{RestoreMoment::Kind::Newest, {}}};
    for (auto day = days.crbegin(); day != days.crend(); ++day) {
        const auto kind = RestoreMoment::Kind(int(tiers.tierOf(*day)) + 1);
        moments.append({kind, *day});
    }
    return moments;
}

QList<BackedUpFile> RestoreCatalog::filesAt(const RestoreMoment& moment) const {
    QList<BackedUpFile> shown;
    QSet<QString> taken; // by case-folded path: Windows names match that way
    const auto take = [&](const BackedUpFile& file) {
        const QString key = keyOf(file);
        if (taken.contains(key))
            return;
        taken.insert(key);
        shown.append(file);
    };
    if (moment.kind != RestoreMoment::Kind::Newest) {
        for (const QDate& day : versionDays(platform_, drive_)) {
            if (day < moment.folderDay)
                continue;
            QList<BackedUpFile> kept;
            collect(toFsPath(platform_.nativePath(versionDayFolder(drive_, day))), {}, kept);
            for (const BackedUpFile& file : kept)
                take(file);
        }
    }
    QList<BackedUpFile> current;
    collect(toFsPath(platform_.nativePath(drive_ + BackupRoot)), {}, current);
    const QDateTime folderStart(moment.folderDay, QTime(0, 0));
    for (const BackedUpFile& file : current) {
        if (moment.kind == RestoreMoment::Kind::Newest || file.modified < folderStart)
            take(file);
    }
    std::sort(shown.begin(), shown.end(), [](const BackedUpFile& a, const BackedUpFile& b) {
        const int byFolder = QString::compare(a.folder, b.folder, Qt::CaseInsensitive);
        return byFolder != 0
                   ? byFolder < 0
                   : QString::compare(a.shownName(), b.shownName(), Qt::CaseInsensitive) < 0;
    });
    return shown;
}

} // namespace tillora
