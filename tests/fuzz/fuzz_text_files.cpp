// The texter's files (settings, carrier table, mail server) on any bytes; a carrier the
// program keeps always makes exactly one recipient.
#include "CarrierFile.h"
#include "FuzzInput.h"
#include "MailAddress.h"
#include "MailServerFile.h"
#include "MobileNumber.h"
#include "TextSettingsFile.h"

using namespace tillora;
using namespace tillora::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = bytesOf(data, size);
    const LoadedTextSettings settings = parseTextSettings(bytes);
    if (settings.gatewayTemplate && !gatewayProblem(*settings.gatewayTemplate))
        require(isSingleMailAddress(
                    mobileAddress(QStringLiteral("555-123-4567"), *settings.gatewayTemplate)),
                "an accepted stored gateway makes one address");
    (void)parseMailServer(bytes);

    const UsableCarriers carriers = usableCarriers(parseCarriers(bytes));
    for (const Carrier& carrier : carriers.carriers)
        require(isSingleMailAddress(
                    mobileAddress(QStringLiteral("5551234567"), carrier.gatewayTemplate)),
                "a kept carrier makes one address");

    const QString text = textOf(data, size);
    if (!gatewayProblem(text))
        require(isSingleMailAddress(mobileAddress(QStringLiteral("5551234567"), text)),
                "an accepted typed gateway makes one address");
    return 0;
}
