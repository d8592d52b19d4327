#include "OffsiteFiles.h"

#include "DirectorySet.h"
#include "Platform.h"
#include "ProgramValues.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

namespace tillora {

namespace {

void addFilesOf(const QString& nativeFolder, const QString& nativeBackupFolder,
                QList<SetFile>& files, QSet<QString>& seen) {
    const QDir folder(nativeFolder);
    // Hidden and system files are data too, as in the local copy.
    for (const QFileInfo& entry :
         folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
        // Only regular files: restic would wait forever on a pipe or a device.
        if (!entry.isFile())
            continue;
        const QString path = entry.absoluteFilePath();
        if (!seen.contains(path)) {
            seen.insert(path);
            files.append({path, QDir(nativeBackupFolder).filePath(entry.fileName())});
        }
    }
}

// The path with symbolic links resolved as far as it exists (drive letters are links on
// this side of the platform seam), so two spellings of one folder compare equal.
QString resolved(const QString& nativePath) {
    QString existing = QDir::cleanPath(QFileInfo(nativePath).absoluteFilePath());
    QString rest;
    while (!QFileInfo::exists(existing)) {
        const qsizetype slash = existing.lastIndexOf(u'/');
        if (slash <= 0)
            return QDir::cleanPath(nativePath);
        rest = existing.mid(slash) + rest;
        existing.truncate(slash);
    }
    return QDir::cleanPath(QFileInfo(existing).canonicalFilePath() + rest);
}

bool inside(const QString& path, const QString& folder) {
    // Compared without regard to case: on Windows both spellings are one folder, and
    // elsewhere refusing one folder too many loses nothing.
    if (path.compare(folder, Qt::CaseInsensitive) == 0)
        return true;
    const QString prefix = folder.endsWith(u'/') ? folder : folder + u'/';
    return path.startsWith(prefix, Qt::CaseInsensitive);
}

} // namespace

QList<SetFile> directorySetCopies(const BackupSetupSnapshot& setup, const Platform& platform) {
    const BackupPaths paths(setup);
    QList<SetFile> files;
    QSet<QString> seen;
    for (int row = FirstProductRow; row <= LastProductRow; ++row) {
        if (!setup.folderEnabled(row))
            continue;
        for (const BackupStep& step : BackupDirectorySet()) {
            if (step.row == row)
                addFilesOf(platform.nativePath(paths.sourceFolder(step)),
                           platform.nativePath(paths.destinationFolder(step)), files, seen);
        }
        if (row == LastProductRow)
            addFilesOf(platform.nativePath(paydexHistorySource()),
                       platform.nativePath(paths.paydexHistoryDestination()), files, seen);
    }
    return files;
}

QStringList directorySetFiles(const BackupSetupSnapshot& setup, const Platform& platform) {
    QStringList sources;
    for (const SetFile& file : directorySetCopies(setup, platform))
        sources.append(file.source);
    return sources;
}

QString snapshotPathOf(const QString& nativePath) {
    QString path = QDir::fromNativeSeparators(nativePath);
    if (path.size() >= 3 && path[0].isLetter() && path[1] == u':' && path[2] == u'/')
        return u'/' + path[0].toUpper() + path.mid(2);
    // A snapshot's own "/c/..." reads as the same drive as "C:\...".
    if (path.size() >= 3 && path[0] == u'/' && path[1].isLetter() && path[2] == u'/')
        path[1] = path[1].toUpper();
    return path;
}

QByteArray nulSeparated(const QStringList& nativePaths) {
    QByteArray bytes;
    // restic reads the names as UTF-8 on every system, and wants the system's separators.
    for (const QString& path : nativePaths) {
        bytes += QDir::toNativeSeparators(path).toUtf8();
        bytes += '\0';
    }
    return bytes;
}

QStringList liveDataFolders(const BackupSetupSnapshot& setup, const Platform& platform,
                            const ProgramValues& values) {
    QStringList folders;
    for (const QString& folder : {values.DataDIR, values.RemoteDIR, values.ShiftraDIR})
        folders.append(platform.nativePath(folder));
    const QString drive = driveOfSelector(setup.sourceDriveText());
    for (int row = FirstProductRow; row <= LastProductRow; ++row) {
        // An empty name would make the whole source drive "live".
        if (!setup.folderName(row).trimmed().isEmpty())
            folders.append(platform.nativePath(drive + u'\\' + setup.folderName(row)));
    }
    folders.append(platform.nativePath(paydexHistorySource()));
    return folders;
}

std::optional<QString> restoreTargetProblem(const QString& nativeTarget,
                                            const QStringList& liveFolders) {
    if (nativeTarget.trimmed().isEmpty())
        return QStringLiteral("Please choose a folder to restore into.");
    const QString target = resolved(nativeTarget);
    for (const QString& live : liveFolders) {
        if (inside(target, resolved(live))) {
            return QStringLiteral("%1 is inside the store's data folder %2. A restore never "
                                  "goes into the live data: choose another folder, then copy "
                                  "back what you need with the store's programs closed.")
                .arg(QDir::toNativeSeparators(nativeTarget), QDir::toNativeSeparators(live));
        }
    }
    const QFileInfo info(target);
    if (info.exists() && !info.isDir())
        return QStringLiteral("%1 is a file, not a folder.").arg(nativeTarget);
    if (info.isDir() && !QDir(target).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System |
                                              QDir::NoDotAndDotDot))
        return QStringLiteral("%1 is not empty. Please choose a new or empty folder, so that no "
                              "file in it is overwritten.")
            .arg(QDir::toNativeSeparators(nativeTarget));
    return std::nullopt;
}

QList<DriveRoot> driveRoots(const Platform& platform) {
    QList<DriveRoot> roots;
    for (const QString& drive : platform.drives()) {
        const QString letter = driveOfSelector(drive);
        QString root = snapshotPathOf(platform.nativePath(letter + u'\\'));
        if (!root.endsWith(u'/'))
            root += u'/';
        roots.append({letter, root});
    }
    return roots;
}

QString storePlace(const QString& folder, const QString& snapshotPath,
                   const QList<DriveRoot>& roots, const QString& sourceDrive) {
    const QString path = snapshotPathOf(snapshotPath);
    const DriveRoot* best = nullptr;
    for (const DriveRoot& root : roots) {
        if (path.startsWith(root.snapshotRoot) &&
            (!best || root.snapshotRoot.size() > best->snapshotRoot.size()))
            best = &root;
    }
    if (!best)
        return QDir::cleanPath(folder + u'/' + snapshotPath);
    const QString below = path.mid(best->snapshotRoot.size());
    if (best->letter.compare(sourceDrive, Qt::CaseInsensitive) == 0)
        return QDir::cleanPath(folder + u'/' + below);
    return QDir::cleanPath(folder + u'/' + best->letter.left(1) + u'/' + below);
}

PlacedFiles placeRestored(const QString& staging, const QString& folder,
                          const QList<DriveRoot>& roots, const QString& sourceDrive) {
    PlacedFiles placed;
    const QString top = QDir::cleanPath(staging);
    QDirIterator it(top, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString restored = it.next();
        const QString place = storePlace(folder, restored.mid(top.size()), roots, sourceDrive);
        // A place inside the staging folder or outside the chosen one is no place.
        const bool inFolder =
            place.startsWith(QDir::cleanPath(folder) + u'/') && !place.startsWith(top + u'/');
        if (inFolder && !QFileInfo::exists(place) && QDir().mkpath(QFileInfo(place).path()) &&
            QFile::rename(restored, place)) {
            ++placed.files;
        } else {
            placed.problems.append(QDir::toNativeSeparators(restored));
        }
    }
    if (placed.problems.isEmpty())
        QDir(top).removeRecursively();
    return placed;
}

} // namespace tillora
