#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

namespace tillora {

// A 128-bit hash of a file's bytes (XXH3-128): taken while a backup copy is written and
// compared with the copy read back from the drive. Not a defence against tampering, only
// against a drive that returns other bytes than it was given.
struct ContentHash {
    quint64 low = 0;
    quint64 high = 0;
    bool operator==(const ContentHash&) const = default;
};

// Hashes a stream of bytes given in pieces of any size.
class ContentHasher {
public:
    ContentHasher();
    ~ContentHasher();
    ContentHasher(const ContentHasher&) = delete;
    ContentHasher& operator=(const ContentHasher&) = delete;

    void reset();
    void add(const char* bytes, qint64 size);
    ContentHash result() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// The same 64-bit value for the same text on every machine and in every version of the
// program (XXH3-64 of its UTF-8 bytes), unlike qHash, which is seeded per process.
quint64 stableTextHash(const QString& text);

} // namespace tillora
