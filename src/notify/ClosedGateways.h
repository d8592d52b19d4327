#pragma once

#include <QDate>
#include <QString>

namespace tillora {

// A warning for a carrier's e-mail-to-SMS gateway that is known to have stopped, or to
// stop, delivering: the mail server still accepts the message, so nothing else would tell
// the owner that the texts never arrive. Empty for a gateway not known to be closing.
// `gateway` is a domain or a template such as "number@txt.att.net".
QString closedGatewayWarning(const QString& gateway, const QDate& today);

} // namespace tillora
