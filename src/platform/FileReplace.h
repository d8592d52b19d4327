#pragma once

#include <QString>

#include <filesystem>

namespace tillora {

// Renames `nativeFrom` over `nativeTo`, replacing an existing file in one step. On
// failure `reason` (when given) says why.
bool replaceFile(const QString& nativeFrom, const QString& nativeTo, QString* reason = nullptr);

// The same for paths in the system's own form (bytes on Linux, so a name that is not
// valid UTF-8 is renamed as it stands).
bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to,
                 QString* reason = nullptr);

// Renames `from` to `to` on the same drive, never replacing a file already at `to`.
bool moveFileNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                       QString* reason = nullptr);

// The system's words for the last failed call (errno; on Windows GetLastError for the
// Win32 calls above).
QString systemErrorText(int error);

} // namespace tillora
