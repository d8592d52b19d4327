#pragma once

#include <QByteArray>
#include <QString>

namespace tillora {

// A header value with every control character (CR, LF, tab, ...) replaced by a blank,
// so no value can start a header of its own.
QString headerSafe(const QString& value);

// A header value as it goes on the wire: control characters blanked, non-ASCII text as
// one UTF-8 encoded word.
QByteArray encodedHeaderValue(const QString& value);

} // namespace tillora
