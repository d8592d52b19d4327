#include "CatchUpRule.h"

namespace tillora {

namespace {

QDateTime minuteOf(const QDateTime& moment) {
    const QTime time = moment.time();
    return QDateTime(moment.date(), QTime(time.hour(), time.minute()));
}

} // namespace

CatchUpRule::CatchUpRule(std::optional<QTime> backupMinute, LastBackup last)
    : last_(std::move(last)) {
    if (backupMinute)
        minute_ = QTime(backupMinute->hour(), backupMinute->minute());
}

bool CatchUpRule::missedAtStart(const QDateTime& now) const {
    const auto due = latestDue(now);
    return due && !backedUpSince(*due);
}

bool CatchUpRule::missedBetweenTicks(const QDateTime& previousTick, const QDateTime& now) const {
    const auto due = latestDue(now);
    if (!due || !previousTick.isValid())
        return false;
    return *due > minuteOf(previousTick) && *due < minuteOf(now) && !backedUpSince(*due);
}

std::optional<QDateTime> CatchUpRule::latestDue(const QDateTime& now) const {
    if (!minute_ || !now.isValid())
        return std::nullopt;
    const QDateTime today(now.date(), *minute_);
    return today <= now ? today : QDateTime(now.date().addDays(-1), *minute_);
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

} // namespace tillora
