#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>
#include <functional>

namespace tillora {

class Clock;

// The main window's Timer1: every 55 seconds, counted from the end of the previous tick,
// it compares the time of day with the chosen start time and starts the backup once in
// that minute; in every other tick it lets the hourly report check look at the time.
class BackupScheduler : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultPeriod{55000};

    // `startTimeText` gives the start time as the window shows it (Combo1(0)).
    BackupScheduler(const Clock& clock, std::function<QString()> startTimeText,
                    std::function<void()> runBackup, QObject* parent = nullptr);

    // Called with Now ("03:00 AM") for ticks that start no backup, from the event loop just
    // after the tick, so it never holds the timer; empty means nothing to do.
    void setHourlyReportCheck(std::function<void(const QString& now)> check);
    void setPeriod(std::chrono::milliseconds period) { period_ = period; }
    // Called at the end of every tick with the time the previous tick read (invalid at the
    // first) and the time this one read, so a backup minute that fell between them is seen.
    void
    setTickObserver(std::function<void(const QDateTime& previous, const QDateTime& now)> observer);

    void start();
    void SchedulerTick();

    const QTimer& timer() const { return Timer1; }

private:
    const Clock& clock_;
    std::function<QString()> startTimeText_;
    std::function<void()> runBackup_;
    std::function<void(const QString&)> hourlyReportCheck_;
    std::function<void(const QDateTime&, const QDateTime&)> tickObserver_;
    std::chrono::milliseconds period_ = DefaultPeriod;
    QDateTime previousTick_;
    QDateTime startedMinute_; // the backup minute the last run was started in
    QTimer Timer1;
};

} // namespace tillora
