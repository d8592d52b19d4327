#pragma once

#include "CancelFlag.h"
#include "DeliverySettings.h"
#include "Notifier.h"
#include "PushClient.h"
#include "SecretStore.h"
#include "SmtpClient.h"

#include <condition_variable>
#include <mutex>

namespace tillora {

class Platform;
struct ProgramValues;

// What the two mail channels need from the side that keeps the mail account and the
// phone's number: the account and server every message is submitted through, and the
// address of the phone's e-mail-to-SMS gateway.
struct SmtpRoute {
    MailServer server;
    MailAccount account;
    QString gatewayAddress; // "5551234567@carrier.example"; empty when there is none
    QString gatewayProblem; // why there is no gateway address
    bool fromCopy = false;  // read from the last good copy: the data folder cannot be read
};

class SmtpRouteSource {
public:
    virtual ~SmtpRouteSource() = default;
    // Called on the thread that sends: implementations must be safe on any thread.
    virtual SmtpRoute smtpRoute() const = 0;
};

// The program's notifier: the carrier gateway and an e-mail address over SMTP, and push
// over HTTPS, as set in Notify.ini (read afresh for every message, or its last good copy
// when the data folder cannot be read) with the push token from the secret store. Sends run on
// other threads; the program's end cancels them, and the notifier waits for those still under way
// (a second or so) before it goes.
class ChannelNotifier final : public Notifier {
public:
    ChannelNotifier(const Platform& platform, const ProgramValues& values,
                    const SmtpRouteSource& smtp, SecretStore secrets = SecretStore());
    ~ChannelNotifier() override;

    // Ends every send under way and every later one at once: the program is ending.
    void cancelSends() override { cancel_.cancel(); }

    void setSecretStore(SecretStore secrets) { secrets_ = std::move(secrets); }
    void setPushLimits(const PushLimits& limits) { pushLimits_ = limits; }
    void setMailTimeouts(const MailTimeouts& timeouts) { mailTimeouts_ = timeouts; }

    // Notify.ini as a native path.
    QString settingsFile() const;
    DeliverySettings settings() const;
    SaveResult saveSettings(const DeliverySettings& settings) const;
    QString pushToken() const;
    SaveResult savePushToken(const QString& token);
    // The random topic proposed while none is saved: the same each time the settings
    // window opens, so the topic a phone subscribed to is the one that gets saved.
    QString proposedPushTopic();
    void setProposedPushTopic(const QString& topic) { proposedTopic_ = topic; }

    QList<Channel> enabledChannels() const override;
    QList<ChannelOutcome> send(const NotifyMessage& message, const QList<Channel>& channels = {},
                               const ChannelAnswered& answered = {}) override;

    // Sends with the given settings instead of the stored ones (a test of what the owner
    // typed before saving it); `channels` empty means the enabled ones.
    QList<ChannelOutcome> sendWith(const DeliverySettings& settings, const QString& token,
                                   const NotifyMessage& message, const QList<Channel>& channels,
                                   const ChannelAnswered& answered = {}) const;

private:
    struct StoredSettings {
        DeliverySettings settings;
        bool fromCopy = false;
    };
    StoredSettings readSettings() const;
    QString pushCaFileOf(const DeliverySettings& settings) const; // native; empty: none
    ChannelOutcome sendMail(Channel channel, const SmtpRoute& route, const QString& to,
                            const NotifyMessage& message) const;
    ChannelOutcome sendPush(const DeliverySettings& settings, const QString& token,
                            const NotifyMessage& message) const;
    // Counts the sends under way, so the destructor can wait for them.
    void beginSend() const;
    void endSend() const;

    const Platform& platform_;
    const ProgramValues& values_;
    const SmtpRouteSource& smtp_;
    SecretStore secrets_;
    PushLimits pushLimits_;
    MailTimeouts mailTimeouts_;
    QString proposedTopic_;
    CancelFlag cancel_;
    mutable std::mutex sendsLock_;
    mutable std::condition_variable sendsEnded_;
    mutable int sendsUnderWay_ = 0;
};

// The channels switched on in `settings`, in the order of the enum.
QList<Channel> enabledChannelsOf(const DeliverySettings& settings);

} // namespace tillora
