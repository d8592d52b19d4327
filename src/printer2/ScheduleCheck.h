#pragma once

#include "KitchenSchedule.h"

#include <QLocale>
#include <QString>
#include <QTime>

namespace tillora {

enum class SwitchAction { None, SwitchOn, SwitchOff };

// The schedule row of a day from its long weekday name: the first three letters, in any
// case, "mon" to "sun" give rows 0 to 6. A name that matches none of them gives row 0.
int rowForWeekday(const QString& longWeekdayName);

// Whether `now` (to the second) lies between the row's on-time and off-time, both ends
// inclusive. There is no wrap past midnight: an on-time after the off-time never is in
// window, and neither is a row whose texts do not both read as times of day.
bool rowInWindow(const ScheduleRow& row, QTime now, const QLocale& locale = QLocale());

// What the periodic check does with a row: nothing when either of its times is blank (the
// operator's own switching stands), otherwise switch to the wanted status when the shown
// status (the status panel's caption) differs from it.
SwitchAction scheduleAction(const ScheduleRow& row, QTime now, const QString& shownStatus,
                            const QLocale& locale = QLocale());

} // namespace tillora
