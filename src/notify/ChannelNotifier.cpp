#include "ChannelNotifier.h"

#include "DataFiles.h"
#include "LastGoodCopy.h"
#include "Platform.h"
#include "ProgramValues.h"

#include <QDir>

namespace tillora {

namespace {

const QString TokenKey = QStringLiteral("Push/Token");

ChannelOutcome outcome(Channel channel, bool sent, const QString& reason) {
    return {channel, sent, sent ? QString() : reason};
}

} // namespace

QList<Channel> enabledChannelsOf(const DeliverySettings& settings) {
    QList<Channel> channels;
    if (settings.gatewayEnabled)
        channels.append(Channel::Gateway);
    if (settings.emailEnabled)
        channels.append(Channel::Email);
    if (settings.pushEnabled)
        channels.append(Channel::Push);
    return channels;
}

ChannelNotifier::ChannelNotifier(const Platform& platform, const ProgramValues& values,
                                 const SmtpRouteSource& smtp, SecretStore secrets)
    : platform_(platform)
    , values_(values)
    , smtp_(smtp)
    , secrets_(std::move(secrets)) {
}

ChannelNotifier::~ChannelNotifier() {
    // A send on another thread uses this object: end it and wait until it has let go. A
    // cancelled transfer ends within a second (and any transfer within its own limits).
    cancel_.cancel();
    std::unique_lock lock(sendsLock_);
    sendsEnded_.wait(lock, [this] { return sendsUnderWay_ == 0; });
}

void ChannelNotifier::beginSend() const {
    const std::lock_guard lock(sendsLock_);
    ++sendsUnderWay_;
}

void ChannelNotifier::endSend() const {
    {
        const std::lock_guard lock(sendsLock_);
        --sendsUnderWay_;
    }
    sendsEnded_.notify_all();
}

QString ChannelNotifier::settingsFile() const {
    return platform_.nativePath(deliverySettingsPath(values_));
}

ChannelNotifier::StoredSettings ChannelNotifier::readSettings() const {
    const FileToRead file =
        originalOrLastCopy(settingsFile(), UserFiles::copyOf(platform_, DataFile::Notify));
    DeliverySettings settings = readDeliverySettings(file.path);
    if (!file.fromCopy)
        (void)pushCaFileOf(settings); // its copy is kept current with the settings
    return {settings, file.fromCopy};
}

QString ChannelNotifier::pushCaFileOf(const DeliverySettings& settings) const {
    if (settings.pushCaFile.isEmpty())
        return {};
    // The CA file is the data folder's too: its last good copy stands in for it.
    return originalOrLastCopy(platform_.nativePath(settings.pushCaFile),
                              QDir(UserFiles::copyFolder(platform_)).filePath("push-ca.pem"))
        .path;
}

DeliverySettings ChannelNotifier::settings() const {
    return readSettings().settings;
}

SaveResult ChannelNotifier::saveSettings(const DeliverySettings& settings) const {
    return writeDeliverySettings(settingsFile(), settings);
}

QString ChannelNotifier::pushToken() const {
    return secrets_.value(TokenKey);
}

QString ChannelNotifier::proposedPushTopic() {
    if (proposedTopic_.isEmpty())
        proposedTopic_ = randomPushTopic();
    return proposedTopic_;
}

SaveResult ChannelNotifier::savePushToken(const QString& token) {
    if (token == pushToken())
        return {true, {}};
    return secrets_.setValue(TokenKey, token);
}

QList<Channel> ChannelNotifier::enabledChannels() const {
    return enabledChannelsOf(settings());
}

QList<ChannelOutcome> ChannelNotifier::send(const NotifyMessage& message,
                                            const QList<Channel>& channels,
                                            const ChannelAnswered& answered) {
    beginSend(); // the settings are read on the sending thread too
    const StoredSettings stored = readSettings();
    NotifyMessage sent = message;
    // The owner learns that the data folder is gone, and that the settings may be stale.
    if (stored.fromCopy || smtp_.smtpRoute().fromCopy)
        sent.text += QStringLiteral("\r\n\r\n(%1 cannot be read: sent with the delivery settings "
                                    "last read from it.)")
                         .arg(DataFiles::folder(values_.DataDIR));
    QList<ChannelOutcome> outcomes =
        sendWith(stored.settings, pushToken(), sent, channels, answered);
    endSend();
    return outcomes;
}

QList<ChannelOutcome> ChannelNotifier::sendWith(const DeliverySettings& settings,
                                                const QString& token, const NotifyMessage& message,
                                                const QList<Channel>& channels,
                                                const ChannelAnswered& answered) const {
    beginSend();
    const QList<Channel> wanted = channels.isEmpty() ? enabledChannelsOf(settings) : channels;
    QList<ChannelOutcome> outcomes;
    for (const Channel channel : {Channel::Gateway, Channel::Email, Channel::Push}) {
        if (!wanted.contains(channel))
            continue;
        switch (channel) {
        case Channel::Gateway: {
            const SmtpRoute route = smtp_.smtpRoute();
            if (route.gatewayAddress.isEmpty())
                outcomes.append(outcome(channel, false, route.gatewayProblem));
            else
                outcomes.append(sendMail(channel, route, route.gatewayAddress, message));
            break;
        }
        case Channel::Email:
            // A damaged address is refused, never guessed at.
            if (const QString problem = emailAddressProblem(settings.emailTo); !problem.isEmpty())
                outcomes.append(outcome(channel, false, problem));
            else
                outcomes.append(sendMail(channel, smtp_.smtpRoute(), settings.emailTo, message));
            break;
        case Channel::Push:
            outcomes.append(sendPush(settings, token, message));
            break;
        }
        if (answered)
            answered(outcomes.last());
    }
    endSend();
    return outcomes;
}

ChannelOutcome ChannelNotifier::sendMail(Channel channel, const SmtpRoute& route, const QString& to,
                                         const NotifyMessage& message) const {
    const MailMessage mail{to, route.account.user, message.subject, message.text, {}};
    const MailResult result =
        SmtpClient(route.server, mailTimeouts_, &cancel_).sendRetryingOnce(route.account, mail);
    return outcome(channel, result.ok(), result.reason);
}

ChannelOutcome ChannelNotifier::sendPush(const DeliverySettings& settings, const QString& token,
                                         const NotifyMessage& message) const {
    const QString caFile = pushCaFileOf(settings);
    const PushResult result = postToPush({settings.pushServer, settings.pushTopic, token, caFile},
                                         message, pushLimits_, &cancel_);
    return outcome(Channel::Push, result.sent, result.reason);
}

} // namespace tillora
