#include "DeliverySettings.h"

#include "DataFiles.h"
#include "IniKeys.h"
#include "ProgramValues.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QUrl>

namespace tillora {

namespace {

constexpr auto OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

const std::array<IniKey<DeliverySettings>, 7> Keys{{
    {"Gateway/Enabled", &DeliverySettings::gatewayEnabled},
    {"Email/Enabled", &DeliverySettings::emailEnabled},
    {"Email/To", &DeliverySettings::emailTo},
    {"Push/Enabled", &DeliverySettings::pushEnabled},
    {"Push/Server", &DeliverySettings::pushServer},
    {"Push/Topic", &DeliverySettings::pushTopic},
    {"Push/CAFile", &DeliverySettings::pushCaFile},
}};

} // namespace

QString deliverySettingsPath(const ProgramValues& values) {
    return DataFiles::path(values.DataDIR, DataFile::Notify);
}

DeliverySettings readDeliverySettings(const QString& nativePath) {
    return readIniKeys(readIniFile(nativePath), Keys);
}

SaveResult writeDeliverySettings(const QString& nativePath, const DeliverySettings& settings) {
    QDir().mkpath(QFileInfo(nativePath).absolutePath());
    QVariantMap values = readIniFile(nativePath);
    writeIniKeys(values, Keys, settings);
    return writeIniFile(nativePath, values, OwnerOnly);
}

QString emailAddressProblem(const QString& address) {
    // Exactly one plain address: nothing that could add a second recipient or a header.
    static const QString part = QStringLiteral("[^\\s\\x00-\\x1f\\x7f,;<>@\"]+");
    static const QRegularExpression plain(u'^' + part + u'@' + part + QStringLiteral("\\.") + part +
                                          u'$');
    if (!plain.match(address).hasMatch())
        return QStringLiteral("E-mail address: type exactly one address such as "
                              "owner@example.com, without spaces, commas, semicolons or "
                              "angle brackets.");
    return {};
}

QString pushServerProblem(const QString& server) {
    const QUrl url(server, QUrl::StrictMode);
    const QString host = url.host().toLower();
    const bool local = host == QLatin1String("127.0.0.1") || host == QLatin1String("localhost");
    const bool schemeOk =
        url.scheme() == QLatin1String("https") || (url.scheme() == QLatin1String("http") && local);
    // No user name or password in the address: the file is copied to the backup drive.
    if (!url.isValid() || host.isEmpty() || !schemeOk || !url.userInfo().isEmpty() ||
        url.hasQuery() || url.hasFragment())
        return QStringLiteral("Push server: type an https:// address such as https://ntfy.sh "
                              "(http:// only for a test server on this computer).");
    return {};
}

QString pushTopicProblem(const QString& topic) {
    static const QRegularExpression allowed(QStringLiteral("^[A-Za-z0-9_-]{1,64}$"));
    if (!allowed.match(topic).hasMatch())
        return QStringLiteral("Topic: use 1 to 64 letters, digits, - and _ only.");
    return {};
}

QString deliverySettingsProblem(const DeliverySettings& s) {
    if (s.emailEnabled || !s.emailTo.isEmpty()) {
        if (const QString problem = emailAddressProblem(s.emailTo); !problem.isEmpty())
            return problem;
    }
    if (s.pushEnabled || !s.pushTopic.isEmpty()) {
        if (const QString problem = pushServerProblem(s.pushServer); !problem.isEmpty())
            return problem;
        if (const QString problem = pushTopicProblem(s.pushTopic); !problem.isEmpty())
            return problem;
    }
    return {};
}

QString randomPushTopic() {
    static const QString alphabet =
        QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    QString topic;
    for (int i = 0; i < 24; ++i)
        topic += alphabet.at(int(QRandomGenerator::system()->bounded(alphabet.size())));
    return topic;
}

} // namespace tillora
