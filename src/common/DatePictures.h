#pragma once

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

namespace tillora {

// The date and time pictures the system writes into texts, logs and files. Weekday and
// month names and the AM/PM designator are the locale's.
enum class Picture {
    Time12,              // "HH:MM ampm" and "hh:mm ampm": 03:05 PM
    Time24Seconds,       // "HH:MM:SS": 15:05:09
    Time24,              // "HH:MM": 15:05
    WeekdayMonthDayYear, // "DDDD MMMM DD YYYY": Monday December 07 2026
    WeekdayNumericDate,  // "DDDD MM/DD/YYYY": Monday 12/07/2026
    CompactDate,         // "MMDDYYYY": 12072026
    MonthDayYear,        // "MMMM DD YYYY": December 07 2026
    NumericDate,         // "mm/dd/yyyy" and "MM/dd/yyyy": 12/07/2026
};

QString formatPicture(const QDateTime& moment, Picture picture, const QLocale& locale = QLocale());

// The system's short date form, always with a four-digit year ("12/8/2026" for en_US).
QString shortDate(const QDate& date, const QLocale& locale = QLocale());
// Reads a stored date: month/day/year ("12/8/2026", or "12/8/26" as older forms wrote
// it), which settings files have always held whatever the locale, then the locale's short
// date, then an ISO date; nothing when it does not read as a date ("Never", "NEVER", "").
std::optional<QDate> parseShortDate(const QString& text, const QLocale& locale = QLocale());
// `date` in the form of the stored date `previous` (month/day/year, the locale's short
// date or ISO), so a change of locale never changes the form of a file's date; in
// month/day/year when `previous` is no date, or when its form would read back otherwise.
QString storedDate(const QDate& date, const QString& previous, const QLocale& locale = QLocale());

} // namespace tillora
