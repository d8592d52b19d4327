#pragma once

#include "Notifier.h"

#include <QEventLoop>

#include <thread>

namespace tillora {

// Runs `work` on a worker thread while this thread keeps running its event loop, so
// windows and timers go on while a message is out; returns what `work` returned.
template <typename Work> auto runWhileProcessingEvents(Work work) -> decltype(work()) {
    decltype(work()) result{};
    QEventLoop loop;
    std::thread worker([&] {
        result = work();
        // Queued to the waiting thread: quits the loop even when posted before exec().
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    return result;
}

// `notifier.send` on a worker thread, the event loop running meanwhile.
inline QList<ChannelOutcome> sendWhileProcessingEvents(Notifier& notifier,
                                                       const NotifyMessage& message,
                                                       const QList<Channel>& channels = {}) {
    return runWhileProcessingEvents([&] { return notifier.send(message, channels); });
}

} // namespace tillora
