#include "TexterMailRoute.h"

#include "DataFiles.h"
#include "FileSave.h"
#include "LastGoodCopy.h"
#include "MailServerFile.h"
#include "MobileNumber.h"
#include "Platform.h"
#include "TextSettingsFile.h"

#include <QDir>

namespace tillora {

TexterMailRoute::TexterMailRoute(const Platform& platform, const ProgramValues& values)
    : platform_(platform)
    , values_(values) {
}

void TexterMailRoute::setLiveFields(std::optional<TexterMailFields> fields) {
    const std::lock_guard lock(mutex_);
    live_ = std::move(fields);
}

TexterMailFields TexterMailRoute::currentFields(bool& fromCopy) const {
    {
        const std::lock_guard lock(mutex_);
        if (live_)
            return *live_;
    }
    const FileToRead file = originalOrLastCopy(platform_.nativePath(textSettingsPath(values_)),
                                               UserFiles::copyOf(platform_, DataFile::MobileText));
    fromCopy = fromCopy || file.fromCopy;
    const auto bytes = readWholeFile(file.path);
    if (!bytes)
        return {};
    const LoadedTextSettings stored = withStoredPassword(platform_, parseTextSettings(*bytes));
    return {stored.mobileNumber.value_or(QString()),
            stored.gatewayTemplate.value_or(QString()),
            {stored.senderAccount.value_or(QString()), stored.senderPassword.value_or(QString())}};
}

MailServer TexterMailRoute::currentServer(bool& fromCopy) const {
    const FileToRead file = originalOrLastCopy(platform_.nativePath(mailServerPath(values_)),
                                               UserFiles::copyOf(platform_, DataFile::MailServer));
    fromCopy = fromCopy || file.fromCopy;
    MailServer server = loadMailServer(platform_, file.path).server;
    if (!server.caFile.isEmpty())
        server.caFile =
            originalOrLastCopy(server.caFile,
                               QDir(UserFiles::copyFolder(platform_)).filePath("mail-ca.pem"))
                .path;
    return server;
}

SmtpRoute TexterMailRoute::smtpRoute() const {
    bool fromCopy = false;
    const TexterMailFields fields = currentFields(fromCopy);
    SmtpRoute route{currentServer(fromCopy), fields.account, {}, {}, fromCopy};
    if (checkMobileNumber(fields.mobileNumber) != NumberCheck::Ok)
        route.gatewayProblem = refusedNumberReason(fields.mobileNumber);
    else if (const auto problem = gatewayProblem(fields.gatewayTemplate))
        route.gatewayProblem = *problem; // never a second recipient or text in the envelope
    else
        route.gatewayAddress = mobileAddress(fields.mobileNumber, fields.gatewayTemplate);
    return route;
}

} // namespace tillora
