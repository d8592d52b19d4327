#pragma once

#include <QString>

namespace tillora {

// Renames `nativeFrom` over `nativeTo`, replacing an existing file in one step. On
// failure `reason` (when given) says why.
bool replaceFile(const QString& nativeFrom, const QString& nativeTo, QString* reason = nullptr);

} // namespace tillora
