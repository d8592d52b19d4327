#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTime>

#include <optional>

namespace tillora {

// The 96 quarter-hour texts every time list offers, "12:00 am" to "11:45 pm", hours
// without a leading zero.
const QStringList& quarterHourTimes();

// Reads a time text as a time of day: "3:00 am", "03:00 am", "3:00 AM", "3:00am",
// "12:00 am" (midnight), "12:00 pm" (noon), "15:00", each with or without seconds, and
// the locale's own AM/PM designators. Anything else is not a time: no guessing.
std::optional<QTime> parseTimeOfDay(const QString& text, const QLocale& locale = QLocale());

// Two texts denote the same minute of the day; false when either is not a time.
bool sameMinute(const QString& a, const QString& b, const QLocale& locale = QLocale());

} // namespace tillora
