#include "ChunkedFileCopy.h"

#include "FileReplace.h"

#include <QFile>
#include <QFileInfo>

namespace tillora {

namespace {

CopyResult failed(const QString& reason) {
    return {false, reason};
}

} // namespace

ChunkedFileCopy::ChunkedFileCopy(std::function<void()> betweenChunks, qsizetype chunkBytes)
    : betweenChunks_(std::move(betweenChunks))
    , buffer_(std::size_t(std::max<qsizetype>(chunkBytes, 4096))) {
}

CopyResult ChunkedFileCopy::copy(const QString& nativeSource, const QString& nativeTarget) {
    const QFileInfo source(nativeSource);
    // Only regular files: a pipe or device would block or never end.
    if (!source.isFile())
        return failed(QStringLiteral("not a readable file"));
    const QFileInfo target(nativeTarget);
    if (target.exists() || target.isSymLink()) {
        if (!target.isFile())
            return failed(QStringLiteral("the backup holds something else of that name"));
        if (!(target.permissions() & QFileDevice::WriteOwner))
            return failed(QStringLiteral("the backup file is read-only"));
    }

    QFile in(nativeSource);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failed(in.errorString());

    const QString partial = nativeTarget + PartialSuffix;
    QFile::remove(partial); // a leftover of an interrupted run
    QFile out(partial);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return failed(out.errorString());
    auto abandon = [&](const QString& reason) {
        out.close();
        QFile::remove(partial);
        return failed(reason);
    };

    for (;;) {
        const qint64 got = in.read(buffer_.data(), qint64(buffer_.size()));
        if (got < 0)
            return abandon(in.errorString());
        if (got == 0)
            break;
        if (out.write(buffer_.data(), got) != got)
            return abandon(out.errorString());
        if (betweenChunks_)
            betweenChunks_();
    }
    // Keeping the time costs nothing and lets the operator see how old a backup file is.
    if (!out.flush())
        return abandon(out.errorString());
    out.setFileTime(source.lastModified(), QFileDevice::FileModificationTime);
    out.close();
    if (out.error() != QFileDevice::NoError)
        return abandon(out.errorString());

    QString reason;
    if (!replaceFile(partial, nativeTarget, &reason)) {
        QFile::remove(partial);
        return failed(reason);
    }
    return {true, {}};
}

} // namespace tillora
