#include "BackupAlerts.h"

#include "BackupAlertTexts.h"
#include "CatchUpRule.h"
#include "RunSummary.h"
#include "TimeOfDay.h"

#include <algorithm>

namespace tillora {

namespace {

constexpr qint64 SecondsPerDay = 24 * 60 * 60;

// The first full hour at or after `time` (9:00 gives 9, 8:30 gives 9); nothing past 23.
std::optional<int> fullHourFrom(const QTime& time) {
    const int hour = time.minute() == 0 && time.second() == 0 ? time.hour() : time.hour() + 1;
    return hour <= 23 ? std::optional<int>(hour) : std::nullopt;
}

} // namespace

BackupAlerts::BackupAlerts(const AlertSources& sources)
    : sources_(sources) {
}

std::optional<NotifyMessage> BackupAlerts::afterRun(const BackupRunResult& result) const {
    if (!result.isRun() || result.trigger == RunTrigger::BackupNow ||
        result.outcome == RunOutcome::Completed)
        return std::nullopt;
    if (!sources_.alertSettings().backupFailed || toldTonight(result))
        return std::nullopt;
    return alert::runNotCompleted(result, sources_.companyName());
}

std::optional<NotifyMessage> BackupAlerts::afterDriveReturned(const BackupRunResult& result,
                                                              DriveReturnWatch::Drive drive) const {
    if (result.outcome != RunOutcome::Completed || !sources_.alertSettings().backupFailed)
        return std::nullopt;
    return alert::madeUpAfterDriveReturned(result, drive == DriveReturnWatch::Drive::Source);
}

// The history holds the run itself too: only the runs before it count.
bool BackupAlerts::toldTonight(const BackupRunResult& result) const {
    const QDateTime night = CatchUpRule(parseTimeOfDay(sources_.backupStartTime()), {})
                                .latestDue(result.started)
                                .value_or(result.started.date().startOfDay());
    const QList<PastRun> runs = sources_.runsSince(night);
    return std::any_of(runs.begin(), runs.end(), [&](const PastRun& run) {
        return run.started < result.started && run.trigger != RunTrigger::BackupNow &&
               run.outcome == result.outcome;
    });
}

std::optional<NotifyMessage> BackupAlerts::afterOffsite(const BackupRunResult& result) const {
    if (!result.offsite || !offsiteNeedsAttention(result.offsite->outcome))
        return std::nullopt;
    if (!sources_.alertSettings().backupFailed)
        return std::nullopt;
    return alert::offsiteNotCompleted(result, sources_.companyName());
}

QList<NotifyMessage> BackupAlerts::dueAt(const QDateTime& now) {
    QList<NotifyMessage> due;
    const QDate today = now.date();
    const int hour = now.time().hour();
    if (staleCheckedOn_ != today && staleCheckHour() == hour) {
        staleCheckedOn_ = today;
        if (auto warning = staleWarning(now, sources_.alertSettings().staleAfterDays))
            due.append(*warning);
    }
    if (weeklyCheckedOn_ != today && today.dayOfWeek() == Qt::Monday && weeklyHour() == hour) {
        weeklyCheckedOn_ = today;
        if (sources_.alertSettings().weekly)
            due.append(weeklySummary(today));
    }
    return due;
}

std::optional<NotifyMessage> BackupAlerts::staleWarning(const QDateTime& now, int afterDays) const {
    if (afterDays <= 0)
        return std::nullopt;
    // Never backed up: there is no day to count from, and each failed run is told anyway.
    const auto last = sources_.lastBackup();
    if (!last)
        return std::nullopt;
    // Whole days of 24 hours, so a late backup minute does not count a night short.
    const qint64 days = last->secsTo(now) / SecondsPerDay;
    if (days < afterDays)
        return std::nullopt;
    return alert::noBackupFor(int(days), *last, sources_.companyName());
}

NotifyMessage BackupAlerts::weeklySummary(const QDate& today) const {
    // The seven nights before today, Monday to Sunday; a night counts by its best run.
    const QDate first = today.addDays(-7);
    QMap<QDate, RunOutcome> best;
    QList<FolderLeftOut> leftOut; // as the week's last backup found them
    for (const PastRun& run : sources_.runsSince(first.startOfDay())) {
        const QDate night = run.started.date();
        if (night >= today || run.outcome == RunOutcome::AlreadyRunning ||
            run.outcome == RunOutcome::RunningElsewhere ||
            run.outcome == RunOutcome::AlreadyDoneToday)
            continue;
        if (run.outcome == RunOutcome::Completed ||
            run.outcome == RunOutcome::CompletedWithProblems)
            leftOut = run.foldersLeftOut;
        const auto rank = [](RunOutcome o) {
            return o == RunOutcome::Completed ? 2 : o == RunOutcome::CompletedWithProblems ? 1 : 0;
        };
        if (!best.contains(night) || rank(run.outcome) > rank(best.value(night)))
            best.insert(night, run.outcome);
    }
    alert::WeekCounts week;
    for (RunOutcome outcome : best) {
        if (outcome == RunOutcome::Completed)
            ++week.completed;
        else if (outcome == RunOutcome::CompletedWithProblems)
            ++week.incomplete;
        else
            ++week.failed;
    }
    week.withoutRun = 7 - int(best.size());
    return alert::weeklySummary(week, sources_.lastBackup(), sources_.companyName(), leftOut,
                                sources_.salesOfDays(first, today.addDays(-1)));
}

std::optional<int> BackupAlerts::staleCheckHour() const {
    const auto start = parseTimeOfDay(sources_.backupStartTime());
    if (!start)
        return std::nullopt;
    return (start->hour() + 1) % 24;
}

int BackupAlerts::weeklyHour() const {
    const auto start = sources_.reportWindowStart();
    const auto hour = start ? fullHourFrom(*start) : std::nullopt;
    return hour.value_or(DefaultWeeklyHour);
}

} // namespace tillora
