#include "RestoreTargets.h"

#include "DirectorySet.h"

#include <algorithm>

namespace tillora {

namespace {

QString withoutTrailingSlash(QString path) {
    while (path.endsWith(u'\\'))
        path.chop(1);
    return path;
}

// `folder` equals `prefix` or lies below it; the rest ("" or "\x\y") in `rest`.
bool startsAt(const QString& folder, const QString& prefix, QString& rest) {
    if (prefix.isEmpty()) {
        rest = folder.isEmpty() ? QString() : u'\\' + folder;
        return true;
    }
    if (!folder.startsWith(prefix, Qt::CaseInsensitive))
        return false;
    rest = folder.mid(prefix.size());
    return rest.isEmpty() || rest.startsWith(u'\\');
}

} // namespace

RestoreTargets::RestoreTargets(const BackupSetupSnapshot& setup)
    : sourceDrive_(driveOfSelector(setup.sourceDriveText())) {
    const BackupPaths paths(setup);
    const QString root = paths.destinationRoot();
    const auto below = [&](const QString& destination) {
        return withoutTrailingSlash(destination.mid(root.size()));
    };
    // Every row counts, enabled or not: the tree may hold what an earlier setting copied.
    for (const BackupStep& step : BackupDirectorySet()) {
        if (isSafeFolderName(setup.folderName(step.row)))
            origins_.append({below(paths.destinationFolder(step)),
                             withoutTrailingSlash(paths.sourceFolder(step))});
    }
    if (isSafeFolderName(setup.folderName(PaydexRow)))
        origins_.append({below(paths.paydexHistoryDestination()), paydexHistorySource()});
    std::stable_sort(origins_.begin(), origins_.end(), [](const Origin& a, const Origin& b) {
        return a.backupFolder.size() > b.backupFolder.size();
    });
}

QString RestoreTargets::sourceFolderOf(const QString& folderBelowBackup) const {
    QString rest;
    for (const Origin& origin : origins_) {
        if (startsAt(folderBelowBackup, origin.backupFolder, rest))
            return origin.sourceFolder + rest;
    }
    // A folder no setting names (a product folder renamed since): where it would be now.
    return folderBelowBackup.isEmpty() ? sourceDrive_ : sourceDrive_ + u'\\' + folderBelowBackup;
}

QString RestoreTargets::storePathOf(const QString& sourcePath) {
    const bool hasDrive = sourcePath.size() >= 2 && sourcePath[1] == u':';
    QString path = hasDrive ? sourcePath.mid(2) : sourcePath;
    while (path.startsWith(u'\\'))
        path.remove(0, 1);
    return path;
}

} // namespace tillora
