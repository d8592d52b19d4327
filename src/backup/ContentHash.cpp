#include "ContentHash.h"

// Header-only: the hash functions are compiled into this file, so no build of ours needs
// the library itself.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace tillora {

struct ContentHasher::State {
    XXH3_state_t xxh;
};

ContentHasher::ContentHasher()
    : state_(std::make_unique<State>()) {
    reset();
}

ContentHasher::~ContentHasher() = default;

void ContentHasher::reset() {
    XXH3_128bits_reset(&state_->xxh);
}

void ContentHasher::add(const char* bytes, qint64 size) {
    if (size > 0)
        XXH3_128bits_update(&state_->xxh, bytes, std::size_t(size));
}

ContentHash ContentHasher::result() const {
    const XXH128_hash_t hash = XXH3_128bits_digest(&state_->xxh);
    return {hash.low64, hash.high64};
}

quint64 stableTextHash(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return XXH3_64bits(bytes.constData(), std::size_t(bytes.size()));
}

} // namespace tillora
