#pragma once

#include "AlertSettings.h"
#include "BackupRunResult.h"
#include "DriveReturnWatch.h"
#include "Notifier.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QTime>

#include <optional>

namespace tillora {

// A past run as the alert rules need it.
struct PastRun {
    QDateTime started;
    RunOutcome outcome = RunOutcome::Completed;
    RunTrigger trigger = RunTrigger::Scheduled;
    QList<FolderLeftOut> foldersLeftOut{}; // as the run's note tells them
};

// What the alert rules read, asked afresh each time: the owner may change any of it.
class AlertSources {
public:
    virtual ~AlertSources() = default;
    virtual AlertSettings alertSettings() const = 0;
    virtual QString companyName() const = 0;
    // The backup start time as the main window shows it ("3:00 am").
    virtual QString backupStartTime() const = 0;
    // The first time of the text-report window; nothing while texting is off.
    virtual std::optional<QTime> reportWindowStart() const = 0;
    // When the last run that counts as a backup was made; nothing when none is known.
    virtual std::optional<QDateTime> lastBackup() const = 0;
    // The runs that started at or after `since`, oldest first.
    virtual QList<PastRun> runsSince(const QDateTime& since) const = 0;
    // The sales of the days `first` to `last` as the day summary read them; nothing while
    // the day summary is off or no total of those days was read.
    virtual std::optional<double> salesOfDays(const QDate& first, const QDate& last) const {
        Q_UNUSED(first);
        Q_UNUSED(last);
        return std::nullopt;
    }
};

// When the owner is told about backups: after a night's run that did not complete, when
// no backup has been made for days, and once a week. The rules only decide and word the
// message; sending is the caller's.
class BackupAlerts {
public:
    static constexpr int DefaultWeeklyHour = 9; // when texting gives no report window

    explicit BackupAlerts(const AlertSources& sources);

    // The alert a finished run calls for: a scheduled or catch-up run that did not
    // complete, unless a run of the same night came to the same outcome before it. The
    // operator's own "Backup Now" sees its outcome on the screen.
    std::optional<NotifyMessage> afterRun(const BackupRunResult& result) const;
    // "Backup OK" for the night made up by itself once its missing drive came back.
    std::optional<NotifyMessage> afterDriveReturned(const BackupRunResult& result,
                                                    DriveReturnWatch::Drive drive) const;
    // The off-site step of a night that did not complete; the local run was told apart.
    std::optional<NotifyMessage> afterOffsite(const BackupRunResult& result) const;

    // The alerts due at `now`, called at least once a minute: the stale-backup warning
    // in the first full hour after the backup minute, the weekly summary on Monday in the
    // first full hour of the report window. Each is looked at once a day.
    QList<NotifyMessage> dueAt(const QDateTime& now);

private:
    bool toldTonight(const BackupRunResult& result) const;
    std::optional<NotifyMessage> staleWarning(const QDateTime& now, int afterDays) const;
    NotifyMessage weeklySummary(const QDate& today) const;
    std::optional<int> staleCheckHour() const;
    int weeklyHour() const;

    const AlertSources& sources_;
    QDate staleCheckedOn_;
    QDate weeklyCheckedOn_;
};

} // namespace tillora
