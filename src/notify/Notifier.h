#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace tillora {

// The ways a message reaches the owner.
enum class Channel { Gateway, Email, Push };

// One message to the owner: a report or an alert.
struct NotifyMessage {
    QString subject;
    QString text;
    bool alert = false; // alerts are marked as warnings and sent with a higher priority
};

// What one channel did with one message.
struct ChannelOutcome {
    Channel channel = Channel::Gateway;
    bool sent = false;
    QString reason; // why it was not sent; empty when sent
};

// Told on the sending thread as each channel answers, before the next one is tried.
using ChannelAnswered = std::function<void(const ChannelOutcome&)>;

// Sends a message to the owner on every enabled channel. `send` blocks until each channel
// has answered or given up (within its time limits), so callers run it off the window's
// thread (runInBackground); it reads the settings afresh on every call and may be called
// from any thread.
class Notifier {
public:
    virtual ~Notifier() = default;

    // The channels the owner has turned on now.
    virtual QList<Channel> enabledChannels() const = 0;

    // Sends to `channels`, or to every enabled channel when `channels` is empty; one
    // outcome per channel tried, in the order of the enum, each also given to `answered`
    // the moment it is known.
    virtual QList<ChannelOutcome> send(const NotifyMessage& message,
                                       const QList<Channel>& channels = {},
                                       const ChannelAnswered& answered = {}) = 0;

    // The program is ending: sends under way give up at once, and so does every later one.
    virtual void cancelSends() {}
};

// "gateway", "e-mail", "push": the channel's name in logs and failure reasons.
inline QString channelName(Channel channel) {
    switch (channel) {
    case Channel::Gateway:
        return QStringLiteral("gateway");
    case Channel::Email:
        return QStringLiteral("e-mail");
    case Channel::Push:
        return QStringLiteral("push");
    }
    return {};
}

} // namespace tillora
