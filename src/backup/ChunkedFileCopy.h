#pragma once

#include "ContentHash.h"
#include "NativeFiles.h"

#include <QFile>
#include <QString>

#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace tillora {

class Platform;

struct CopyResult {
    bool ok = false;
    QString reason;               // empty on success
    qint64 bytes = 0;             // bytes written
    bool earlierCopyKept = false; // the earlier backup file went to the versions folder
    bool stopped = false;         // `betweenChunks` asked to stop; the target is untouched
    // The source's size or time moved while it was copied: the copy may mix its old and
    // new bytes, and carries a time no source has, so that the next run copies it again.
    bool sourceChanged = false;
    // Set when the earlier copy should have been kept and could not be (the new copy is
    // in place all the same): why.
    QString versionProblem;
    std::optional<ContentHash> hash; // of the bytes written, when the copier hashes
    explicit operator bool() const { return ok; }
};

// The moments of replacing one backup file, for tests that interrupt a run.
enum class CopyStage {
    ChunkWritten,     // one chunk of the new copy is in its temporary file
    NewCopyWritten,   // the temporary file is complete; nothing is renamed yet
    EarlierCopyMoved, // the earlier copy is in the versions folder; the new one not in place
    NewCopyInPlace,   // the new copy carries the backup file's name
};

// Copies one file into the backup so that a failure never costs the earlier copy: the
// bytes go in chunks to a temporary file with a short name (".tlra-<8 hex>.partial", so
// a source name of the longest length still copies) in the target's folder, which
// takes the target's name only once every byte is written. The copy keeps the source's
// modification time (unless the source changed while it was copied) and, where the file
// system has them, its permissions (the owner may always write it, so the next run can
// replace it). `betweenChunks` runs after every
// chunk with the bytes written so far, so the caller can show progress through a large
// file; when it returns false the copy stops and its temporary file goes. Memory use is one
// chunk, whatever the file size; on Linux the system copies each chunk itself where it
// can (copy_file_range), as `cp` does, and starts writing it to the disk at once.
class ChunkedFileCopy {
public:
    static constexpr qsizetype DefaultChunkBytes = 512 * 1024;
    // Temporary names of earlier versions of the program: "<target>.tlra-partial".
    static inline const QString OldPartialSuffix = QStringLiteral(".tlra-partial");

    // `platform`, when given, flushes each new copy before its rename where the system
    // flushes file by file (Platform::flushFile).
    explicit ChunkedFileCopy(Platform* platform = nullptr,
                             std::function<bool(qint64 written)> betweenChunks = {},
                             qsizetype chunkBytes = DefaultChunkBytes);

    void setObserver(std::function<void(CopyStage)> observer) { observer_ = std::move(observer); }
    // Hashes the bytes as they are written, so the copy can be read back and checked
    // later. The bytes then pass through the copier's buffer rather than the system's
    // own copy: the hash is of exactly what was written.
    void setHashing(bool hashing) { hashing_ = hashing; }

    // Paths in the system's form. A target marked read-only is made writable first: the
    // owner may always write their backup copies. With `keepEarlierAt` set, an existing
    // target is first moved there (a rename on the same drive), unless a file is there
    // already (the first version of the day is the one kept).
    CopyResult copy(const std::filesystem::path& source, const std::filesystem::path& target,
                    const std::filesystem::path& keepEarlierAt = {});
    CopyResult copy(const QString& nativeSource, const QString& nativeTarget);
    // The same with both files looked at already (fileFacts: the source through links,
    // the target as it stands).
    CopyResult copy(const std::filesystem::path& source, const FileFacts& sourceFacts,
                    const std::filesystem::path& target, const FileFacts& targetFacts,
                    const std::filesystem::path& keepEarlierAt);

    // True when the backup copy matches the source by size and modification time, which
    // may differ by up to 2 seconds (FAT and exFAT keep even seconds); a backup copy of
    // another size, or more than 2 seconds older or newer, is not the same. Also false
    // when either is missing or not a file.
    static bool looksUnchanged(const FileFacts& source, const FileFacts& target);

    // Gives the backup copy the source's permissions when they differ (a file skipped as
    // unchanged that was copied before permissions were kept).
    static void matchPermissions(const FileFacts& source, const FileFacts& target,
                                 const std::filesystem::path& targetPath);

    // A temporary file of this program or of an earlier version of it.
    static bool isPartialName(const QString& fileName);

private:
    // Copies the next chunk; the bytes copied, 0 at the end, -1 on failure (`reason` set).
    qint64 copyChunk(QFile& in, QFile& out, QString& reason);

    void notify(CopyStage stage) const {
        if (observer_)
            observer_(stage);
    }

    Platform* platform_;
    std::function<bool(qint64)> betweenChunks_;
    std::function<void(CopyStage)> observer_;
    std::vector<char> buffer_;
    bool inSystem_ = false; // this file's chunks are copied by the system (copyInSystem)
    bool hashing_ = false;
    ContentHasher hasher_;
};

} // namespace tillora
