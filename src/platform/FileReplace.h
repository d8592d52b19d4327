#pragma once

#include <QFileDevice>
#include <QString>

namespace tillora {

// Pushes what was written to an open file out to the disk, so a rename that follows
// cannot leave a renamed but empty file after a power cut.
bool flushToDisk(QFileDevice& file);

// Renames `nativeFrom` over `nativeTo`, replacing an existing file in one step. On
// failure `reason` (when given) says why.
bool replaceFile(const QString& nativeFrom, const QString& nativeTo, QString* reason = nullptr);

} // namespace tillora
