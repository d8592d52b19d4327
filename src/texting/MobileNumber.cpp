#include "MobileNumber.h"

#include "MailAddress.h"

namespace tillora {

QString mobileDigits(const QString& typed) {
    QString digits = typed;
    digits.remove(u'-');
    return digits;
}

QString gatewayDomain(const QString& gatewayTemplate) {
    QString domain = gatewayTemplate;
    domain.remove(QStringLiteral("number"));
    return domain.trimmed();
}

std::optional<QString> gatewayProblem(const QString& gatewayTemplate) {
    const QString domain = gatewayDomain(gatewayTemplate);
    if (domain.startsWith(u'@') && isMailDomain(domain.mid(1)))
        return std::nullopt;
    return QStringLiteral("The carrier gateway \"%1\" is not \"number@\" followed by one domain "
                          "name (letters, digits, dots and hyphens).")
        .arg(gatewayTemplate);
}

NumberCheck checkMobileNumber(const QString& typed) {
    const QString digits = mobileDigits(typed);
    if (digits == QLatin1String("0000000000"))
        return NumberCheck::Placeholder;
    if (digits.size() != 10 || digits.startsWith(u'0'))
        return NumberCheck::Refused;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return NumberCheck::Refused;
    }
    return NumberCheck::Ok;
}

QString refusedNumberReason(const QString& typed) {
    if (mobileDigits(typed).trimmed().isEmpty())
        return QStringLiteral("No mobile number is set in the Moblie Texter window.");
    return QStringLiteral("You cannot send to ") + typed;
}

QString mobileAddress(const QString& typedNumber, const QString& gatewayTemplate) {
    return mobileDigits(typedNumber) + gatewayDomain(gatewayTemplate);
}

} // namespace tillora
