#pragma once

#include <QDateTime>

#include <optional>

namespace tillora {

// Whether a nightly backup was missed and is to be made up: the PC was off at the backup
// minute, it slept through it, or other work held the scheduler's tick past it.
class CatchUpRule {
public:
    // The last backup as the history knows it (when it ended), else the last backup date;
    // neither when no backup was ever made, which leaves nothing to make up.
    struct LastBackup {
        std::optional<QDateTime> end;
        std::optional<QDate> date;
    };

    // `backupMinute` is nothing when the start time is not a time: nothing is ever missed.
    // `lastRunStart` is when the last run of any outcome started: a night whose run was
    // tried is not missed, whatever came of it. `until` ends the time for making up a
    // night at that time of day after its minute; nothing leaves it open.
    CatchUpRule(std::optional<QTime> backupMinute, LastBackup last,
                std::optional<QDateTime> lastRunStart = std::nullopt,
                std::optional<QTime> until = std::nullopt);

    // At start-up: the latest backup minute before now came after the last backup.
    bool missedAtStart(const QDateTime& now) const;
    // At a tick: the latest backup minute fell after the previous tick's minute and before
    // this tick's (a tick in the minute itself starts the run), with no backup since. A
    // clock that jumped forward while the PC slept gives such a pair of ticks too.
    bool missedBetweenTicks(const QDateTime& previousTick, const QDateTime& now) const;

    // The backup minute of the night `now` belongs to: the latest one at or before it.
    std::optional<QDateTime> latestDue(const QDateTime& now) const;
    // Whether a run by itself for the night of `due` may start at `now`.
    bool inCatchUpTime(const QDateTime& due, const QDateTime& now) const;

private:
    bool backedUpSince(const QDateTime& due) const;
    bool triedSince(const QDateTime& due) const;

    std::optional<QTime> minute_;
    LastBackup last_;
    std::optional<QDateTime> lastRunStart_;
    std::optional<QTime> until_;
};

} // namespace tillora
