#include "AlertDispatcher.h"

#include "AsyncTask.h"
#include "Clock.h"

#include <utility>

namespace tillora {

AlertDispatcher::AlertDispatcher(Notifier& notifier, const Clock& clock, const QString& outboxPath,
                                 QObject* parent)
    : QObject(parent)
    , notifier_(notifier)
    , clock_(clock)
    , outbox_(outboxPath) {
    worker_.setMaxThreadCount(1);
    retryTimer_.setInterval(DefaultRetryInterval);
    connect(&retryTimer_, &QTimer::timeout, this, &AlertDispatcher::retryOutbox);
}

AlertDispatcher::~AlertDispatcher() {
    // Sends not yet begun stay in the outbox for the next start; the one under way is
    // waited for (each channel that took it is on file already). At the program's end the
    // notifier's sends are cancelled first, so this takes a second.
    worker_.clear();
    worker_.waitForDone();
    for (const Finished& send : takeFinished())
        recordInOutbox(send);
}

void AlertDispatcher::start() {
    retryTimer_.start();
    // What an earlier run of the program left unsent goes out now, not minutes later;
    // queued, so start-up does not wait for it.
    QMetaObject::invokeMethod(this, &AlertDispatcher::retryOutbox, Qt::QueuedConnection);
}

void AlertDispatcher::setRetryInterval(std::chrono::milliseconds interval) {
    retryTimer_.setInterval(interval);
}

void AlertDispatcher::dispatch(const NotifyMessage& message) {
    const QList<Channel> channels = notifier_.enabledChannels();
    if (channels.isEmpty()) {
        qInfo("alert \"%s\" not sent: no channel is switched on", qUtf8Printable(message.subject));
        return;
    }
    sendEntry(outbox_.add(message, clock_.now(), channels), channels, false);
}

void AlertDispatcher::sendNow(const NotifyMessage& message,
                              std::function<void(const QList<ChannelOutcome>&)> done) {
    runOnWorker({{}, false, message, {}, std::move(done)}, {});
}

void AlertDispatcher::retryOutbox() {
    outbox_.dropExpired(clock_.now());
    const QList<Channel> enabled = notifier_.enabledChannels();
    for (const OutboxEntry& entry : outbox_.entries()) {
        if (inFlight_.contains(entry.id))
            continue;
        // A channel switched off since waits: it may be switched on again within the week.
        QList<Channel> channels;
        for (Channel channel : entry.channelsOwed) {
            if (enabled.contains(channel))
                channels.append(channel);
        }
        if (!channels.isEmpty())
            sendEntry(entry, channels, true);
    }
}

void AlertDispatcher::sendEntry(const OutboxEntry& entry, const QList<Channel>& channels,
                                bool retry) {
    inFlight_.insert(entry.id);
    runOnWorker({entry.id, retry, entry.message, {}, {}}, channels);
}

void AlertDispatcher::runOnWorker(Finished job, const QList<Channel>& channels) {
    // The finished send is kept here, not only handed to the callback: the destructor
    // records one whose callback it no longer gets. It waits for this job, so `this` is
    // alive while the job runs.
    runInBackground(
        this,
        [this, job = std::move(job), channels]() mutable {
            // Each channel that takes an entry is struck off on file the moment it answers: a
            // program that ends mid-send, by whatever path, sends it again at its next start
            // only on the channels that had not answered.
            job.outcomes = notifier_.send(job.message, channels, [&](const ChannelOutcome& answer) {
                if (answer.sent && !job.entryId.isEmpty())
                    outbox_.markSent(job.entryId, {answer.channel});
            });
            const std::lock_guard lock(finishedLock_);
            finished_.append(std::move(job));
        },
        [this] { takeInFinished(); }, worker_);
}

QList<AlertDispatcher::Finished> AlertDispatcher::takeFinished() {
    const std::lock_guard lock(finishedLock_);
    return std::exchange(finished_, {});
}

void AlertDispatcher::takeInFinished() {
    for (const Finished& send : takeFinished()) {
        recordInOutbox(send);
        if (send.done)
            send.done(send.outcomes);
        Q_EMIT sendFinished(send.message, send.outcomes);
    }
}

void AlertDispatcher::recordInOutbox(const Finished& send) {
    if (send.entryId.isEmpty())
        return;
    inFlight_.remove(send.entryId);
    // The channels that took it were struck off as they answered.
    for (const ChannelOutcome& outcome : send.outcomes) {
        if (!outcome.sent && !send.retry) {
            // Told on the first try only: a week of retries would fill the log.
            qWarning("alert \"%s\" not sent by %s: %s; tried again later",
                     qUtf8Printable(send.message.subject),
                     qUtf8Printable(channelName(outcome.channel)), qUtf8Printable(outcome.reason));
        }
    }
}

} // namespace tillora
