#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

namespace tillora {

struct [[nodiscard]] SaveResult {
    bool ok = false;
    QString reason; // empty on success
    explicit operator bool() const { return ok; }
};

// Replaces the file at `nativePath` with `bytes` in one step: the bytes go to a temporary
// file beside it, which is renamed over the target only when fully written, so a crash
// never leaves a half-written file. `permissions`, when given, are set on the new file.
SaveResult saveFileAtomically(const QString& nativePath, const QByteArray& bytes,
                              std::optional<QFileDevice::Permissions> permissions = {});

// Appends `bytes` at the end of the file, creating it when missing.
SaveResult appendToFile(const QString& nativePath, const QByteArray& bytes);

// The whole content of a file; nothing when it cannot be read.
std::optional<QByteArray> readWholeFile(const QString& nativePath);

} // namespace tillora
