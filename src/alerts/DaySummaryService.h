#pragma once

#include "DaySummary.h"
#include "DaySummarySettings.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace tillora {

class AlertDispatcher;
class Clock;

// Sends the day summary once a day at its time, through the alerts' dispatcher (so a
// channel that is down gets it from the outbox later). The day it went out is kept in the
// user's settings folder: a restart after it sends nothing, and a PC that was off at the
// summary time sends it at the first check after the next start the same day, never on a
// later day. The time is looked at on a timer of its own, and the summary is made off
// this thread: the scheduler's tick waits for neither the point-of-sale's files nor the
// network.
class DaySummaryService : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::minutes CheckInterval{1};

    // `settings` gives the summary's settings and the texter's last report time, read
    // afresh; `keepReading` keeps the totals the summary read (on the worker thread).
    DaySummaryService(std::unique_ptr<DaySummarySources> sources,
                      std::function<std::pair<DaySummarySettings, QString>()> settings,
                      std::function<void(const SalesReading&)> keepReading,
                      AlertDispatcher& dispatcher, const Clock& clock, QString markPath,
                      QObject* parent = nullptr);
    // Waits for a summary being made: it reads the sources.
    ~DaySummaryService() override;

    void start();
    // Sends today's summary when it is due and has not gone out; the timer calls it.
    void checkTime();
    // "Send test summary": today's summary now, outside the outbox and the once-a-day rule.
    void sendTestSummary(std::function<void(const QList<ChannelOutcome>&)> done);

    // The day the summary last went out; invalid when never.
    QDate sentOn() const;

Q_SIGNALS:
    // A summary was handed to the dispatcher.
    void dispatched(const NotifyMessage& message);

private:
    void compose(std::function<void(const DaySummary&)> then);

    std::unique_ptr<DaySummarySources> sources_;
    std::function<std::pair<DaySummarySettings, QString>()> settings_;
    std::function<void(const SalesReading&)> keepReading_;
    AlertDispatcher& dispatcher_;
    const Clock& clock_;
    QString markPath_;
    bool composing_ = false; // a scheduled summary is being made
    QDate sentOn_;           // as the mark says, also when it could not be written
    QTimer checkTimer_;
    QThreadPool worker_;
};

} // namespace tillora
