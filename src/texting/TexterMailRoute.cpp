#include "TexterMailRoute.h"

#include "MailServerFile.h"
#include "MobileNumber.h"
#include "TextSettingsFile.h"

namespace tillora {

TexterMailRoute::TexterMailRoute(const Platform& platform, const ProgramValues& values)
    : platform_(platform)
    , values_(values) {
}

void TexterMailRoute::setLiveFields(std::optional<TexterMailFields> fields) {
    const std::lock_guard lock(mutex_);
    live_ = std::move(fields);
}

TexterMailFields TexterMailRoute::currentFields() const {
    {
        const std::lock_guard lock(mutex_);
        if (live_)
            return *live_;
    }
    const auto stored = loadTextSettings(platform_, values_);
    if (!stored)
        return {};
    return {
        stored->mobileNumber.value_or(QString()),
        stored->gatewayTemplate.value_or(QString()),
        {stored->senderAccount.value_or(QString()), stored->senderPassword.value_or(QString())}};
}

SmtpRoute TexterMailRoute::smtpRoute() const {
    const TexterMailFields fields = currentFields();
    SmtpRoute route{loadMailServer(platform_, values_).server, fields.account, {}, {}};
    if (checkMobileNumber(fields.mobileNumber) != NumberCheck::Ok)
        route.gatewayProblem = refusedNumberReason(fields.mobileNumber);
    else if (const auto problem = gatewayProblem(fields.gatewayTemplate))
        route.gatewayProblem = *problem; // never a second recipient or text in the envelope
    else
        route.gatewayAddress = mobileAddress(fields.mobileNumber, fields.gatewayTemplate);
    return route;
}

} // namespace tillora
