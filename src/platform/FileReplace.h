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

// replaceFile for a large `to`: on Linux the rename would free the replaced file's space
// and cached pages before it returns (a tenth of a second for a few hundred MB); holding
// that file open across the rename leaves the work to its last close, made on a thread
// of its own. Elsewhere, or where the drive refuses to replace an open file, the same
// as replaceFile.
bool replaceFileFreeingLater(const std::filesystem::path& from, const std::filesystem::path& to,
                             QString* reason = nullptr);

// Renames `from` to `to` on the same drive, never replacing a file already at `to`.
bool moveFileNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                       QString* reason = nullptr);

// The system's words for the last failed call (errno; on Windows GetLastError for the
// Win32 calls above).
QString systemErrorText(int error);

} // namespace tillora
