#pragma once

#include <QByteArray>
#include <QString>

namespace tillora {

// Single-byte text of the files shared with the point-of-sale products is in the
// Windows-1252 code page, whatever the machine's own locale is.
QString fromCodePage(const QByteArray& bytes);
// Characters outside Windows-1252 become '?', as the Windows conversion does.
QByteArray toCodePage(const QString& text);

} // namespace tillora
