#pragma once

#include "Notifier.h"

#include <QList>

#include <functional>
#include <mutex>

namespace tillora::test {

// A notifier whose channels the test switches up and down; it records every send. Safe
// to call from a worker thread, as the real one is.
class RecordingNotifier final : public Notifier {
public:
    struct Send {
        NotifyMessage message;
        QList<Channel> channels;
    };

    QList<Channel> enabledChannels() const override {
        const std::lock_guard lock(mutex_);
        return enabled_;
    }

    QList<ChannelOutcome> send(const NotifyMessage& message, const QList<Channel>& channels,
                               const ChannelAnswered& answered) override {
        if (beforeSend)
            beforeSend();
        std::unique_lock lock(mutex_);
        const QList<Channel> tried = channels.isEmpty() ? enabled_ : channels;
        sends_.append({message, tried});
        QList<ChannelOutcome> outcomes;
        for (Channel channel : tried) {
            if (beforeChannel) {
                lock.unlock();
                beforeChannel(channel);
                lock.lock();
            }
            const bool up = !down_.contains(channel);
            outcomes.append({channel, up, up ? QString() : QStringLiteral("server not reached")});
            if (answered)
                answered(outcomes.last());
        }
        return outcomes;
    }

    void setEnabled(const QList<Channel>& channels) {
        const std::lock_guard lock(mutex_);
        enabled_ = channels;
    }
    void setDown(Channel channel, bool down) {
        const std::lock_guard lock(mutex_);
        down_.removeAll(channel);
        if (down)
            down_.append(channel);
    }
    QList<Send> sends() const {
        const std::lock_guard lock(mutex_);
        return sends_;
    }

    // Runs on the sending thread before each send; a test holds a send there.
    std::function<void()> beforeSend;
    // Runs on the sending thread before each channel is tried.
    std::function<void(Channel)> beforeChannel;

private:
    mutable std::mutex mutex_;
    QList<Channel> enabled_{Channel::Email, Channel::Push};
    QList<Channel> down_;
    QList<Send> sends_;
};

} // namespace tillora::test
