#include "CarrierFile.h"

#include "MobileNumber.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "QuotedCsv.h"

#include <QDir>
#include <QFileInfo>

namespace tillora {

const QList<Carrier>& defaultCarriers() {
    static const QList<Carrier> carriers{
        {QStringLiteral("AllTel"), QStringLiteral("number@text.wireless.alltel.com")},
        {QStringLiteral("AT&T"), QStringLiteral("number@txt.att.net")},
        {QStringLiteral("Boost Mobile"), QStringLiteral("number@sms.myboostmobile.com")},
        {QStringLiteral("Cricket"), QStringLiteral("number@sms.cricketwireless.net")},
        {QStringLiteral("Sprint"), QStringLiteral("number@messaging.sprintpcs.com")},
        {QStringLiteral("T-Mobile"), QStringLiteral("number@tmomail.net")},
        {QStringLiteral("US Cellular"), QStringLiteral("number@email.uscc.net")},
        {QStringLiteral("Verizon"), QStringLiteral("number@vtext.com")},
        {QStringLiteral("Virgin Mobile"), QStringLiteral("number@vmobl.com")},
    };
    return carriers;
}

QString carrierFilePath(const ProgramValues& values) {
    return values.DataDIR + QStringLiteral("data\\sms.dat");
}

QByteArray formatCarriers(const QList<Carrier>& carriers) {
    QuotedLineWriter writer;
    for (const Carrier& carrier : carriers)
        writer.textLine({carrier.name, carrier.gatewayTemplate});
    return writer.bytes();
}

QList<Carrier> parseCarriers(const QByteArray& bytes) {
    QList<Carrier> carriers;
    // Line by line, so one damaged entry cannot shift the pairs after it.
    QByteArray text = bytes;
    text.replace("\r\n", "\n");
    text.replace('\r', '\n');
    for (const QByteArray& line : text.split('\n')) {
        QuotedValueReader reader(line);
        const QString name = reader.next().value_or(QString()).trimmed();
        const QString gateway = reader.next().value_or(QString()).trimmed();
        if (name.isEmpty() || gateway.isEmpty())
            continue;
        carriers.append({name, gateway});
    }
    return carriers;
}

QList<Carrier> loadCarriers(const Platform& platform, const ProgramValues& values) {
    const auto bytes = readWholeFile(platform.nativePath(carrierFilePath(values)));
    return bytes ? parseCarriers(*bytes) : QList<Carrier>{};
}

UsableCarriers usableCarriers(const QList<Carrier>& carriers) {
    UsableCarriers usable;
    for (const Carrier& carrier : carriers) {
        if (gatewayProblem(carrier.gatewayTemplate))
            usable.refused.append(carrier.name);
        else
            usable.carriers.append(carrier);
    }
    return usable;
}

SaveResult ensureCarrierFile(const Platform& platform, const ProgramValues& values) {
    const QString path = platform.nativePath(carrierFilePath(values));
    if (QFileInfo::exists(path))
        return {true, {}};
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return {
            false,
            QStringLiteral("The folder of %1 could not be created.").arg(carrierFilePath(values))};
    return saveFileAtomically(path, formatCarriers(defaultCarriers()));
}

} // namespace tillora
