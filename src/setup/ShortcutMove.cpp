#include "ShortcutMove.h"

#include "FileReplace.h"
#include "FileSave.h"
#include "NativeFiles.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace tillora {

namespace fs = std::filesystem;

namespace {

MoveResult failed(const QString& reason) {
    return {false, reason};
}

// The entry itself, never what it leads to: Qt on Windows reads a shortcut as a link to
// its program, and one whose program is gone as missing; a shortcut is moved as the file
// it is.
fs::file_status entryStatus(const QString& nativePath) {
    std::error_code ignored;
    return fs::symlink_status(toFsPath(nativePath), ignored);
}
bool sameFile(const QString& nativeA, const QString& nativeB) {
    std::error_code error;
    return fs::equivalent(toFsPath(nativeA), toFsPath(nativeB), error) && !error;
}
qint64 entrySize(const QString& nativePath) {
    std::error_code error;
    const auto size = fs::file_size(toFsPath(nativePath), error);
    return error ? -1 : qint64(size);
}

// The name the folder already has for `nativePath`: Windows finds a file whatever the
// case of its name, and a file moved over another keeps the name that was there.
QString spellingInFolder(const QString& nativePath) {
    const fs::path path = toFsPath(nativePath);
    const QString wanted = displayName(path.filename());
    QString other;
    std::error_code error;
    for (fs::directory_iterator it(path.parent_path(), error), end; !error && it != end;
         it.increment(error)) {
        const fs::path found = it->path().filename();
        if (found == path.filename())
            return nativePath;
        if (other.isEmpty() && displayName(found).compare(wanted, Qt::CaseInsensitive) == 0)
            other = nativePath.chopped(wanted.size()) + displayName(found);
    }
    return other.isEmpty() ? nativePath : other;
}

} // namespace

MoveResult moveFileToFolder(const Platform& platform, const QString& sourceFile,
                            const QString& targetFolder) {
    const qsizetype cut = sourceFile.lastIndexOf(u'\\');
    const QString name = sourceFile.mid(cut + 1);
    const QString sourceFolder = cut < 0 ? QString() : sourceFile.left(cut);

    const QFileInfo source(platform.nativePath(sourceFile));
    if (name.isEmpty() ||
        (!source.isFile() && !fs::is_regular_file(entryStatus(source.absoluteFilePath()))))
        return failed(QStringLiteral("%1 is no longer in %2.").arg(name, sourceFolder));
    if (!QFileInfo(platform.nativePath(targetFolder)).isDir())
        return failed(QStringLiteral("The folder %1 does not exist.").arg(targetFolder));
    // Checked before copying so a source that cannot be deleted leaves no second copy.
    if (!QFileInfo(source.absolutePath()).isWritable())
        return failed(QStringLiteral("%1 cannot be removed from %2.").arg(name, sourceFolder));

    const QString targetNative = spellingInFolder(platform.nativePath(targetFolder + u'\\' + name));
    const QFileInfo target(targetNative);
    const fs::file_status targetStatus = entryStatus(targetNative);
    const bool targetExisted = fs::exists(targetStatus);
    if (targetExisted && sameFile(targetNative, source.absoluteFilePath()))
        return failed(QStringLiteral("%1 is already in %2.").arg(name, targetFolder));
    if (target.isDir() || fs::is_directory(targetStatus))
        return failed(QStringLiteral("%1 in %2 is a folder.").arg(name, targetFolder));

    const std::optional<QByteArray> bytes = readWholeFile(source.absoluteFilePath());
    if (!bytes)
        return failed(QStringLiteral("%1 could not be read.").arg(sourceFile));

    // The file already there is kept under a side name until the move is complete, so a
    // move that fails at any step leaves both folders exactly as they were.
    const QString keptNative = targetNative + QStringLiteral(".tlra-kept");
    QString reason;
    if (targetExisted && !replaceFile(targetNative, keptNative, &reason))
        return failed(
            QStringLiteral("%1 in %2 could not be replaced: %3").arg(name, targetFolder, reason));
    auto undo = [&](const QString& why) {
        if (targetExisted)
            replaceFile(keptNative, targetNative);
        else
            QFile::remove(targetNative);
        return failed(why);
    };

    // A shortcut's permissions, as Qt reads them, are its program's (none when it is gone).
    std::optional<QFileDevice::Permissions> permissions;
    if (!source.isShortcut())
        permissions = source.permissions();
    // Written under a side name, then renamed into place: Qt on Windows saves a file named
    // "*.lnk" to where the shortcut leads, and one not there yet leads nowhere.
    const QString newNative = targetNative + QStringLiteral(".tlra-new");
    const SaveResult saved = saveFileAtomically(newNative, *bytes, permissions);
    if (!saved)
        return undo(QStringLiteral("%1 could not be written to %2: %3")
                        .arg(name, targetFolder, saved.reason));
    if (!moveFileNoReplace(toFsPath(newNative), toFsPath(targetNative), &reason)) {
        QFile::remove(newNative);
        return undo(
            QStringLiteral("%1 could not be written to %2: %3").arg(name, targetFolder, reason));
    }
    if (entrySize(targetNative) != entrySize(source.absoluteFilePath()))
        return undo(QStringLiteral("The copy of %1 in %2 is incomplete.").arg(name, targetFolder));
    if (!QFile::remove(source.absoluteFilePath()))
        return undo(QStringLiteral("%1 cannot be removed from %2.").arg(name, sourceFolder));
    if (targetExisted)
        QFile::remove(keptNative);
    return {true, {}};
}

} // namespace tillora
