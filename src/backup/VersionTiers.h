#pragma once

#include <QDate>
#include <QList>

#include <optional>

namespace tillora {

// How far back the versions folders go: day folders for `days` days, then one folder per
// ISO week for the last `weeks` weeks (this week counted), then one per month for the
// last `months` months (this month counted). With `days` 0 no versions are kept at all.
struct VersionLimits {
    int days = 14;
    int weeks = 8;
    int months = 12;
};

// One day folder leaving: the files of `from` that `into` lacks are moved into it first;
// without `into`, the folder is simply removed.
struct VersionMerge {
    QDate from;
    std::optional<QDate> into;

    bool operator==(const VersionMerge&) const = default;
};

// Which day folders are kept, and where the files of those that go are put. A day folder
// holds only the files its night replaced, so a folder that goes hands the files its
// week's (or month's) kept folder lacks to that folder: the kept folder, the earliest one
// of its week (or month), then holds the backup as it was before its own night for every
// file that changed since. Merges go oldest first, so a kept folder never receives a
// newer copy than one still waiting in an older folder.
class VersionTiers {
public:
    // `folders` are the dates of the day folders there are, in any order.
    VersionTiers(QList<QDate> folders, QDate today, VersionLimits limits);

    // The folders past the limits, oldest first.
    QList<VersionMerge> expired() const;

    // The folder to go next when the drive is short of room: day folders before weekly
    // ones before monthly ones, each oldest first; never today's or a later one.
    std::optional<VersionMerge> nextToFree() const;

    // What a kept folder stands for: its own night, or its week or month further back.
    enum class Tier { Day, Week, Month };
    Tier tierOf(QDate day) const;

private:
    bool daily(QDate day) const;
    bool weekInReach(QDate day) const;
    bool monthInReach(QDate day) const;
    bool keptForWeek(QDate day) const;
    bool keptForMonth(QDate day) const;
    QDate earliestOfWeek(QDate day) const;
    QDate earliestOfMonth(QDate day) const;
    std::optional<QDate> weekOrMonthFolderFor(QDate day) const;
    std::optional<QDate> monthFolderFor(QDate day) const;

    QList<QDate> folders_; // oldest first
    QDate today_;
    VersionLimits limits_;
};

} // namespace tillora
