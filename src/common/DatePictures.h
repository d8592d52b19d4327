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
// Reads a text written in the short date form (four- or two-digit year) or as an ISO
// date; nothing when it does not read as a date ("Never", "NEVER", "").
std::optional<QDate> parseShortDate(const QString& text, const QLocale& locale = QLocale());

} // namespace tillora
