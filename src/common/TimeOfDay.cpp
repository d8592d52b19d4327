#include "TimeOfDay.h"

#include <QRegularExpression>

namespace tillora {

const QStringList& quarterHourTimes() {
    static const QStringList times = [] {
        QStringList list;
        for (const char* half : {"am", "pm"}) {
            for (int h = 0; h < 12; ++h) {
                const int hour = h == 0 ? 12 : h;
                for (const char* quarter : {"00", "15", "30", "45"})
                    list.append(QStringLiteral("%1:%2 %3")
                                    .arg(hour)
                                    .arg(QLatin1String(quarter), QLatin1String(half)));
            }
        }
        return list;
    }();
    return times;
}

std::optional<QTime> parseTimeOfDay(const QString& text, const QLocale& locale) {
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*(\d{1,2}):(\d{2})(?::(\d{2}))?\s*(\S.*?)?\s*$)"));
    const auto match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    int hour = match.captured(1).toInt();
    const int minute = match.captured(2).toInt();
    const int second = match.captured(3).isEmpty() ? 0 : match.captured(3).toInt();
    const QString designator = match.captured(4);
    if (minute > 59 || second > 59)
        return std::nullopt;

    if (designator.isEmpty()) {
        if (hour > 23)
            return std::nullopt;
        return QTime(hour, minute, second);
    }
    auto is = [&](const QString& a, const QString& b) {
        return !b.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
    };
    const bool am = is(designator, QStringLiteral("am")) || is(designator, locale.amText());
    const bool pm = is(designator, QStringLiteral("pm")) || is(designator, locale.pmText());
    if ((!am && !pm) || hour > 12)
        return std::nullopt;
    if (hour == 12)
        hour = 0;
    if (pm)
        hour += 12;
    return QTime(hour, minute, second);
}

bool sameMinute(const QString& a, const QString& b, const QLocale& locale) {
    const auto ta = parseTimeOfDay(a, locale);
    const auto tb = parseTimeOfDay(b, locale);
    return ta && tb && ta->hour() == tb->hour() && ta->minute() == tb->minute();
}

} // namespace tillora
