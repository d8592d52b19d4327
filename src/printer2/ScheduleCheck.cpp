#include "ScheduleCheck.h"

#include "TimeOfDay.h"

#include <QStringList>

namespace tillora {

int rowForWeekday(const QString& longWeekdayName) {
    static const QStringList prefixes = {
        QStringLiteral("mon"), QStringLiteral("tue"), QStringLiteral("wed"), QStringLiteral("thu"),
        QStringLiteral("fri"), QStringLiteral("sat"), QStringLiteral("sun")};
    const qsizetype row = prefixes.indexOf(longWeekdayName.left(3).toLower());
    return row < 0 ? 0 : int(row);
}

bool rowInWindow(const ScheduleRow& row, QTime now, const QLocale& locale) {
    const auto on = parseTimeOfDay(row.onText, locale);
    const auto off = parseTimeOfDay(row.offText, locale);
    if (!on || !off)
        return false;
    // The clock is read to the second, as its text would show it.
    const QTime second(now.hour(), now.minute(), now.second());
    return *on <= second && *off >= second;
}

SwitchAction scheduleAction(const ScheduleRow& row, QTime now, const QString& shownStatus,
                            const QLocale& locale) {
    if (row.onText.trimmed().isEmpty() || row.offText.trimmed().isEmpty())
        return SwitchAction::None;
    const QString shown = shownStatus.trimmed();
    if (rowInWindow(row, now, locale))
        return shown == QLatin1String("ON") ? SwitchAction::None : SwitchAction::SwitchOn;
    return shown == QLatin1String("OFF") ? SwitchAction::None : SwitchAction::SwitchOff;
}

} // namespace tillora
