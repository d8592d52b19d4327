#pragma once

#include "Notifier.h"
#include "Outbox.h"

#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QTimer>

#include <chrono>
#include <functional>
#include <mutex>

namespace tillora {

class Clock;

// Sends messages to the owner without holding the caller: each send runs on a worker
// thread and its outcome comes back to this object's thread. A message is written to the
// outbox before it is sent, so neither a failed channel nor a program that ends mid-send
// loses it; the outbox is retried every few minutes, each entry only on the channels
// that have not taken it yet.
class AlertDispatcher : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::minutes DefaultRetryInterval{5};

    AlertDispatcher(Notifier& notifier, const Clock& clock, const QString& outboxPath,
                    QObject* parent = nullptr);
    // Waits for a send in progress: the worker uses the notifier.
    ~AlertDispatcher() override;

    // Sends what waits in the outbox, and arms its retry.
    void start();
    void setRetryInterval(std::chrono::milliseconds interval);

    // Sends on every channel enabled now; what fails waits in the outbox.
    void dispatch(const NotifyMessage& message);
    // Sends once, bypassing the outbox (a test message the operator watches); `done` gets
    // the outcomes on this object's thread.
    void sendNow(const NotifyMessage& message,
                 std::function<void(const QList<ChannelOutcome>&)> done);
    // Sends every outbox entry not in flight on its owed channels that are enabled now,
    // after giving up those too old.
    void retryOutbox();

    const Outbox& outbox() const { return outbox_; }

Q_SIGNALS:
    // One send of a message ended (a dispatch or a retry), with what each channel did.
    void sendFinished(const NotifyMessage& message, const QList<ChannelOutcome>& outcomes);

private:
    // A send the worker has ended, waiting to be taken in on this object's thread.
    struct Finished {
        QString entryId; // empty for a send that bypasses the outbox
        bool retry = false;
        NotifyMessage message;
        QList<ChannelOutcome> outcomes;
        std::function<void(const QList<ChannelOutcome>&)> done;
    };

    void sendEntry(const OutboxEntry& entry, const QList<Channel>& channels, bool retry);
    void runOnWorker(Finished job, const QList<Channel>& channels);
    QList<Finished> takeFinished();
    void takeInFinished();
    void recordInOutbox(const Finished& send);

    Notifier& notifier_;
    const Clock& clock_;
    Outbox outbox_;
    QSet<QString> inFlight_; // ids of entries a worker is sending now
    QTimer retryTimer_;
    std::mutex finishedLock_;
    QList<Finished> finished_; // filled by the worker
    QThreadPool worker_;       // one thread: sends go out one at a time, in order
};

} // namespace tillora
