#include "ChunkedFileCopy.h"

#include "FileReplace.h"
#include "Platform.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>

namespace tillora {

namespace fs = std::filesystem;

namespace {

// Replacing a backup copy at least this large frees it off the window's thread.
constexpr qint64 LargeCopyBytes = 16 << 20;

// FAT and exFAT keep modification times in even seconds, rounded up.
constexpr auto TimeTolerance = std::chrono::seconds(2);

CopyResult failed(const QString& reason) {
    CopyResult result;
    result.reason = reason;
    return result;
}

// The backup copy's permissions: the source's, and the owner may always write it.
unsigned wantedPermissions(const FileFacts& source) {
    return (source.permissions & 0777) | 0600;
}

struct Temporary {
    fs::path path;
    int fd = -1;
    int error = 0;
};

Temporary createTemporary(const fs::path& folder) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name =
            QStringLiteral(".tlra-%1.partial")
                .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        const fs::path path = folder / toFsPath(name);
        const int fd = createNewFile(path);
        if (fd >= 0)
            return {path, fd, 0};
        if (errno != EEXIST)
            return {{}, -1, errno};
    }
    return {{}, -1, EEXIST};
}

} // namespace

ChunkedFileCopy::ChunkedFileCopy(Platform* platform, std::function<bool(qint64)> betweenChunks,
                                 qsizetype chunkBytes)
    : platform_(platform)
    , betweenChunks_(std::move(betweenChunks))
    , buffer_(std::size_t(std::max<qsizetype>(chunkBytes, 4096))) {
}

bool ChunkedFileCopy::isPartialName(const QString& fileName) {
    static const QRegularExpression temporary(QStringLiteral("^\\.tlra-[0-9a-f]{8}\\.partial$"),
                                              QRegularExpression::CaseInsensitiveOption);
    return fileName.endsWith(OldPartialSuffix, Qt::CaseInsensitive) ||
           temporary.match(fileName).hasMatch();
}

bool ChunkedFileCopy::looksUnchanged(const FileFacts& source, const FileFacts& target) {
    if (!source.isFile() || !target.isFile() || source.size != target.size)
        return false;
    const auto difference = source.modified - target.modified;
    return difference <= TimeTolerance && difference >= -TimeTolerance;
}

void ChunkedFileCopy::matchPermissions(const FileFacts& source, const FileFacts& target,
                                       const fs::path& targetPath) {
    const unsigned wanted = wantedPermissions(source);
    if (target.isFile() && target.permissions != wanted)
        setPermissions(targetPath, wanted);
}

CopyResult ChunkedFileCopy::copy(const QString& nativeSource, const QString& nativeTarget) {
    return copy(toFsPath(nativeSource), toFsPath(nativeTarget));
}

CopyResult ChunkedFileCopy::copy(const fs::path& source, const fs::path& target,
                                 const fs::path& keepEarlierAt) {
    return copy(source, fileFacts(source, true), target, fileFacts(target, false), keepEarlierAt);
}

qint64 ChunkedFileCopy::copyChunk(QFile& in, QFile& out, QString& reason) {
    if (inSystem_) {
        bool unsupported = false;
        const qint64 copied =
            copyInSystem(in.handle(), out.handle(), qint64(buffer_.size()), unsupported);
        if (copied < 0)
            reason = systemErrorText(errno);
        if (!unsupported)
            return copied;
        inSystem_ = false; // through the buffer instead; nothing was copied
    }
    const qint64 got = in.read(buffer_.data(), qint64(buffer_.size()));
    if (got < 0) {
        reason = in.errorString();
        return -1;
    }
    if (hashing_)
        hasher_.add(buffer_.data(), got);
    if (got > 0 && out.write(buffer_.data(), got) != got) {
        reason = out.errorString();
        return -1;
    }
    return got;
}

CopyResult ChunkedFileCopy::copy(const fs::path& source, const FileFacts& sourceFacts,
                                 const fs::path& target, const FileFacts& targetFacts,
                                 const fs::path& keepEarlierAt) {
    if (sourceFacts.kind == FileFacts::Kind::Missing) {
        return failed(fileFacts(source, false).kind == FileFacts::Kind::Missing
                          ? systemErrorText(sourceFacts.error)
                          : QStringLiteral("a link to a file that does not exist"));
    }
    // Only regular files: a pipe or device would block or never end.
    if (!sourceFacts.isFile())
        return failed(QStringLiteral("not a regular file"));
    const bool targetExists = targetFacts.kind != FileFacts::Kind::Missing;
    if (targetExists) {
        if (!targetFacts.isFile())
            return failed(QStringLiteral("the backup holds something else of that name"));
        // Marked read-only by hand or by another tool; only a copy that stays so is a
        // problem.
        if (!(targetFacts.permissions & 0200) && !makeWritable(target))
            return failed(QStringLiteral("the backup file is read-only"));
    }

    QFile in;
    const int inFd = platform_ ? platform_->openSourceFile(source) : openForReading(source);
    if (inFd < 0)
        return failed(systemErrorText(errno));
    in.open(inFd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);

    const Temporary temporary = createTemporary(target.parent_path());
    if (temporary.fd < 0)
        return failed(systemErrorText(temporary.error));
    QFile out;
    out.open(temporary.fd, QIODevice::WriteOnly | QIODevice::Unbuffered,
             QFileDevice::AutoCloseHandle);
    auto abandon = [&](const QString& reason) {
        out.close();
        removeFile(temporary.path);
        return failed(reason);
    };

    qint64 written = 0;
    inSystem_ = !hashing_;
    hasher_.reset();
    for (;;) {
        QString reason;
        const qint64 got = copyChunk(in, out, reason);
        if (got < 0)
            return abandon(reason);
        if (got == 0)
            break;
        // The disk starts on each chunk at once rather than at the flush that ends the
        // run: writing overlaps copying, the flush finds little left to do, and the
        // system's cache does not fill up with a night's worth of unwritten data.
        startWriteBack(out.handle(), written, got);
        written += got;
        notify(CopyStage::ChunkWritten);
        if (betweenChunks_ && !betweenChunks_(written)) {
            CopyResult stopped = abandon(QStringLiteral("stopped"));
            stopped.stopped = true;
            return stopped;
        }
    }
    in.close();
    // A file rewritten at the same size within 2 s of the time taken before its bytes
    // would look unchanged for ever, with a mixed copy in the backup: a look after the
    // copy catches it, and a time no source has makes the next run copy it again.
    const FileFacts after = fileFacts(source, true);
    const bool sourceChanged =
        after.size != sourceFacts.size || after.modified != sourceFacts.modified;
    const auto stamp = sourceChanged ? timeNoFileHas() : sourceFacts.modified;
    setPermissions(temporary.fd, wantedPermissions(sourceFacts));
    setModifiedOnOpenFile(temporary.fd, stamp);
    if (platform_ && !platform_->flushFile(out))
        return abandon(QStringLiteral("the backup drive could not write the file to the disk"));
    out.close();
    if (out.error() != QFileDevice::NoError)
        return abandon(out.errorString());
    setModifiedOnClosedFile(temporary.path, stamp);
    notify(CopyStage::NewCopyWritten);

    CopyResult result;
    result.sourceChanged = sourceChanged;
    if (hashing_)
        result.hash = hasher_.result();
    if (targetExists && !keepEarlierAt.empty()) {
        const FileFacts kept = fileFacts(keepEarlierAt, false);
        if (kept.kind == FileFacts::Kind::Missing) {
            makeFolders(keepEarlierAt.parent_path());
            QString why;
            if (moveFileNoReplace(target, keepEarlierAt, &why)) {
                result.earlierCopyKept = true;
                notify(CopyStage::EarlierCopyMoved);
            } else {
                result.versionProblem = why;
            }
        } else if (!kept.isFile()) {
            result.versionProblem = QStringLiteral("the versions folder holds something else of "
                                                   "that name");
        } // else the first version of the day is kept, and this copy is replaced
    }

    // A large copy replaced is freed without the window waiting for it.
    const bool replacesLargeCopy =
        targetExists && !result.earlierCopyKept && targetFacts.size >= LargeCopyBytes;
    QString reason;
    if (!(replacesLargeCopy ? replaceFileFreeingLater(temporary.path, target, &reason)
                            : replaceFile(temporary.path, target, &reason))) {
        removeFile(temporary.path);
        // The earlier copy goes back where it was rather than stay only among the versions.
        if (result.earlierCopyKept)
            moveFileNoReplace(keepEarlierAt, target);
        return failed(reason);
    }
    notify(CopyStage::NewCopyInPlace);
    result.ok = true;
    result.bytes = written;
    return result;
}

} // namespace tillora
