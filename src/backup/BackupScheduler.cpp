#include "BackupScheduler.h"

#include "Clock.h"
#include "DatePictures.h"
#include "TimeOfDay.h"

namespace tillora {

BackupScheduler::BackupScheduler(const Clock& clock, std::function<QString()> startTimeText,
                                 std::function<void()> runBackup, QObject* parent)
    : QObject(parent)
    , clock_(clock)
    , startTimeText_(std::move(startTimeText))
    , runBackup_(std::move(runBackup)) {
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &BackupScheduler::SchedulerTick);
}

void BackupScheduler::setHourlyReportCheck(std::function<void(const QString&)> check) {
    hourlyReportCheck_ = std::move(check);
}

void BackupScheduler::setTickObserver(
    std::function<void(const QDateTime&, const QDateTime&)> observer) {
    tickObserver_ = std::move(observer);
}

void BackupScheduler::start() {
    Timer1.start(period_);
}

void BackupScheduler::SchedulerTick() {
    // Stopped for the length of the tick: a backup or a report can take minutes, and the
    // next 55 seconds count from the end of this one.
    Timer1.stop();
    const QDateTime tickTime = clock_.now();
    const QString now = formatPicture(tickTime, Picture::Time12);
    // Both read as times of day, so "03:00 am" matches as well as "3:00 am"; a start time
    // that is no time at all never matches.
    const QString startTime = startTimeText_ ? startTimeText_() : QString();
    if (sameMinute(startTime, now)) {
        // One run per backup minute: a run that failed at once leaves no date, and a second
        // tick 55 s later in the same minute would start it again.
        const QDateTime minute(tickTime.date(),
                               QTime(tickTime.time().hour(), tickTime.time().minute()));
        if (runBackup_ && minute != startedMinute_) {
            startedMinute_ = minute;
            runBackup_();
        }
    } else if (hourlyReportCheck_) {
        // After the tick, from the event loop: a report cycle waits for totals and sends,
        // and the next tick must come on time whatever the network does.
        QMetaObject::invokeMethod(
            this,
            [this, now] {
                if (hourlyReportCheck_)
                    hourlyReportCheck_(now);
            },
            Qt::QueuedConnection);
    }
    if (tickObserver_)
        tickObserver_(previousTick_, tickTime);
    previousTick_ = tickTime;
    Timer1.start(period_);
}

} // namespace tillora
