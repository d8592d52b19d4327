#pragma once

#include "BackupHistoryLog.h"

#include <QDate>
#include <QList>

namespace tillora {

// One night of the history chart: what was copied that day and how its last run ended.
struct NightBar {
    enum class State { NoRun, Good, Attention };
    QDate date;
    State state = State::NoRun;
    double megabytes = 0;
};

// The `nights` days up to and including `lastNight`, oldest first. A night shows how its
// last run ended (a failed 3:00 am run made up at 9:00 am is a good night); a declined run
// does not count, so a day with only declined runs is an empty slot.
QList<NightBar> nightlyBars(const QList<HistoryEntry>& runs, const QDate& lastNight,
                            int nights = 30);

} // namespace tillora
