#include "VersionTiers.h"

#include <algorithm>

namespace tillora {

namespace {

QDate mondayOf(QDate day) {
    return day.addDays(1 - day.dayOfWeek());
}

bool sameMonth(QDate a, QDate b) {
    return a.year() == b.year() && a.month() == b.month();
}

} // namespace

VersionTiers::VersionTiers(QList<QDate> folders, QDate today, VersionLimits limits)
    : folders_(std::move(folders))
    , today_(today)
    , limits_(limits) {
    std::sort(folders_.begin(), folders_.end());
}

bool VersionTiers::daily(QDate day) const {
    return limits_.days > 0 && day.daysTo(today_) <= limits_.days;
}

bool VersionTiers::weekInReach(QDate day) const {
    return limits_.days > 0 && mondayOf(day).daysTo(mondayOf(today_)) / 7 < limits_.weeks;
}

bool VersionTiers::monthInReach(QDate day) const {
    const int monthsBack = (today_.year() - day.year()) * 12 + (today_.month() - day.month());
    return limits_.days > 0 && monthsBack < limits_.months;
}

VersionTiers::Tier VersionTiers::tierOf(QDate day) const {
    if (daily(day))
        return Tier::Day;
    return weekInReach(day) ? Tier::Week : Tier::Month;
}

bool VersionTiers::keptForWeek(QDate day) const {
    return weekInReach(day) && earliestOfWeek(day) == day;
}

bool VersionTiers::keptForMonth(QDate day) const {
    return monthInReach(day) && earliestOfMonth(day) == day;
}

QDate VersionTiers::earliestOfWeek(QDate day) const {
    const auto first = std::find_if(folders_.begin(), folders_.end(),
                                    [&](QDate f) { return mondayOf(f) == mondayOf(day); });
    return first == folders_.end() ? day : *first;
}

QDate VersionTiers::earliestOfMonth(QDate day) const {
    const auto first =
        std::find_if(folders_.begin(), folders_.end(), [&](QDate f) { return sameMonth(f, day); });
    return first == folders_.end() ? day : *first;
}

// Every folder between the one returned and `day` goes before `day` does (it is older and
// no kept folder), so the returned folder has had the copies older than `day`'s first.
std::optional<QDate> VersionTiers::weekOrMonthFolderFor(QDate day) const {
    if (weekInReach(day) && earliestOfWeek(day) != day)
        return earliestOfWeek(day);
    return monthFolderFor(day);
}

std::optional<QDate> VersionTiers::monthFolderFor(QDate day) const {
    if (monthInReach(day) && earliestOfMonth(day) != day)
        return earliestOfMonth(day);
    return std::nullopt;
}

QList<VersionMerge> VersionTiers::expired() const {
    QList<VersionMerge> merges;
    for (const QDate day : folders_) {
        if (!daily(day) && !keptForWeek(day) && !keptForMonth(day))
            merges.append({day, weekOrMonthFolderFor(day)});
    }
    return merges;
}

std::optional<VersionMerge> VersionTiers::nextToFree() const {
    // Day folders first, then weekly, then monthly: as if each limit in turn shrank.
    enum Tier { Day, Week, Month };
    std::optional<QDate> chosen;
    Tier chosenTier = Month;
    for (const QDate day : folders_) {
        if (day >= today_)
            continue;
        const Tier tier = keptForMonth(day) ? Month : keptForWeek(day) ? Week : Day;
        if (!chosen || tier < chosenTier) {
            chosen = day;
            chosenTier = tier;
        }
    }
    if (!chosen)
        return std::nullopt;
    switch (chosenTier) {
    case Day:
        return VersionMerge{*chosen, weekOrMonthFolderFor(*chosen)};
    case Week:
        return VersionMerge{*chosen, monthFolderFor(*chosen)};
    case Month:
        break;
    }
    return VersionMerge{*chosen, std::nullopt};
}

} // namespace tillora
