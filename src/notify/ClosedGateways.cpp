#include "ClosedGateways.h"

#include <QLocale>

#include <array>

namespace tillora {

namespace {

struct ClosedGateway {
    const char* domain;
    QDate closes;
};

// Last checked in December 2026. T-Mobile's gateway stopped in December 2024 (only the
// month is known) and Sprint's went with it after the merger; AT&T's closed on June 17,
// 2025; Verizon's is unreliable already and closes on March 31, 2027.
const std::array<ClosedGateway, 6> ClosedGateways{{
    {"tmomail.net", QDate(2024, 12, 1)},
    {"messaging.sprintpcs.com", QDate(2024, 12, 1)},
    {"txt.att.net", QDate(2025, 6, 17)},
    {"mms.att.net", QDate(2025, 6, 17)},
    {"vtext.com", QDate(2027, 3, 31)},
    {"vzwpix.com", QDate(2027, 3, 31)},
}};

} // namespace

QString closedGatewayWarning(const QString& gateway, const QDate& today) {
    const QString domain = gateway.section(u'@', -1).trimmed().toLower();
    if (domain.isEmpty())
        return {};
    const QLocale english = QLocale::c();
    for (const ClosedGateway& entry : ClosedGateways) {
        if (domain != QLatin1String(entry.domain))
            continue;
        if (today >= entry.closes)
            return QStringLiteral("This carrier stopped delivering e-mail texts in %1: use "
                                  "e-mail or push in Delivery")
                .arg(english.toString(entry.closes, QStringLiteral("MMMM yyyy")));
        return QStringLiteral("This carrier's e-mail text gateway closes on %1: use e-mail or "
                              "push in Delivery")
            .arg(english.toString(entry.closes, QStringLiteral("MMMM d, yyyy")));
    }
    return {};
}

} // namespace tillora
