#pragma once

#include "FileSave.h"

#include <QVariantMap>

namespace tillora {

// Files in Qt's INI format (keys "Group/Key"), read and written through QSettings so a
// backslash or a non-ASCII value round-trips. Writing is whole and atomic: the text is
// made in a temporary file and then put in place by one rename.

// A switch: "true"/"false" or "1"/"0" (any case, blanks around); anything else is
// `fallback`, so a damaged value never guesses.
bool iniBool(const QVariantMap& values, const QString& key, bool fallback);
// A whole number from `lowest` to `highest`; anything else is `fallback`.
int iniNumber(const QVariantMap& values, const QString& key, int fallback, int lowest, int highest);

// Every key of the file; empty when the file is missing or unreadable.
QVariantMap readIniFile(const QString& nativePath);

// Replaces the file with exactly these keys. `permissions`, when given, are set on the
// new file before it is renamed into place (owner-only files are never readable by
// others, not even for a moment).
SaveResult writeIniFile(const QString& nativePath, const QVariantMap& values,
                        std::optional<QFileDevice::Permissions> permissions = {});

} // namespace tillora
