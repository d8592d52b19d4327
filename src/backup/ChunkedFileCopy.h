#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace tillora {

struct CopyResult {
    bool ok = false;
    QString reason; // empty on success
    explicit operator bool() const { return ok; }
};

// Copies one file into the backup so that a failure never costs the earlier copy: the
// bytes go in chunks to "<target>.tlra-partial" beside the target, which is renamed over
// the target only once every byte is written. `betweenChunks` runs after every chunk so
// the caller can keep its window alive during a large file. Memory use is one chunk,
// whatever the file size.
class ChunkedFileCopy {
public:
    static constexpr qsizetype DefaultChunkBytes = 512 * 1024;
    static inline const QString PartialSuffix = QStringLiteral(".tlra-partial");

    explicit ChunkedFileCopy(std::function<void()> betweenChunks = {},
                             qsizetype chunkBytes = DefaultChunkBytes);

    // Both paths are native. A target that is marked read-only is left alone, as the
    // file systems the backup goes to treat it.
    CopyResult copy(const QString& nativeSource, const QString& nativeTarget);

    static bool isPartialName(const QString& fileName) {
        return fileName.endsWith(PartialSuffix, Qt::CaseInsensitive);
    }

private:
    std::function<void()> betweenChunks_;
    std::vector<char> buffer_;
};

} // namespace tillora
