#pragma once

#include <QString>

#include <optional>

namespace tillora {

// The mobile number as typed ("555-123-4567"), without its dashes.
QString mobileDigits(const QString& typed);
// "@" and the gateway domain: the carrier template without the word "number", trimmed.
QString gatewayDomain(const QString& gatewayTemplate);
// Why the template cannot make a recipient, in a sentence for the operator; nothing when
// it is "number@" and one domain name. A comma or a bracket in it would add a recipient
// or text to the mail's envelope, so it is refused wherever it comes from.
std::optional<QString> gatewayProblem(const QString& gatewayTemplate);

enum class NumberCheck { Ok, Placeholder, Refused };
// Ten digits not starting with 0 pass; the all-zero placeholder and everything else do not.
NumberCheck checkMobileNumber(const QString& typed);

// Why no text can go to the number checked above: "You cannot send to 555-1234", or, when
// no number is set at all, that it is missing.
QString refusedNumberReason(const QString& typed);

// The address of the phone's e-mail-to-SMS gateway.
QString mobileAddress(const QString& typedNumber, const QString& gatewayTemplate);

} // namespace tillora
