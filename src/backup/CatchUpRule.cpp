#include "CatchUpRule.h"

namespace tillora {

namespace {

QDateTime minuteOf(const QDateTime& moment) {
    const QTime time = moment.time();
    return QDateTime(moment.date(), QTime(time.hour(), time.minute()));
}

} // namespace

CatchUpRule::CatchUpRule(std::optional<QTime> backupMinute, LastBackup last,
                         std::optional<QDateTime> lastRunStart, std::optional<QTime> until)
    : last_(std::move(last))
    , lastRunStart_(std::move(lastRunStart))
    , until_(until) {
    if (backupMinute)
        minute_ = QTime(backupMinute->hour(), backupMinute->minute());
}

bool CatchUpRule::missedAtStart(const QDateTime& now) const {
    const auto due = latestDue(now);
    return due && !backedUpSince(*due) && !triedSince(*due) && inCatchUpTime(*due, now);
}

bool CatchUpRule::missedBetweenTicks(const QDateTime& previousTick, const QDateTime& now) const {
    const auto due = latestDue(now);
    if (!due || !previousTick.isValid())
        return false;
    return *due > minuteOf(previousTick) && *due < minuteOf(now) && !backedUpSince(*due) &&
           !triedSince(*due) && inCatchUpTime(*due, now);
}

std::optional<QDateTime> CatchUpRule::latestDue(const QDateTime& now) const {
    if (!minute_ || !now.isValid())
        return std::nullopt;
    const QDateTime today(now.date(), *minute_);
    return today <= now ? today : QDateTime(now.date().addDays(-1), *minute_);
}

bool CatchUpRule::inCatchUpTime(const QDateTime& due, const QDateTime& now) const {
    if (!until_)
        return true;
    // The first such time after the minute: 9:00 am after a 3:00 am or an 11:00 pm minute.
    QDateTime end(due.date(), *until_);
    if (end <= due)
        end = end.addDays(1);
    return now < end;
}

bool CatchUpRule::backedUpSince(const QDateTime& due) const {
    // A run still copying at the backup minute covers it.
    if (last_.end)
        return *last_.end >= due;
    // The date alone says nothing of the hour: a backup that day covers that day's minute.
    if (last_.date)
        return *last_.date >= due.date();
    return true;
}

bool CatchUpRule::triedSince(const QDateTime& due) const {
    return lastRunStart_ && *lastRunStart_ >= due;
}

} // namespace tillora
