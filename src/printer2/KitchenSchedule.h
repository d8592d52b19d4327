#pragma once

#include <QByteArray>
#include <QString>

#include <array>

namespace tillora {

// One weekday of the kitchen printer 2 schedule: the texts of its "Printer On" and
// "Printer Off" lists, as typed or picked (a time-list entry, free text or empty).
struct ScheduleRow {
    QString onText;
    QString offText;
    bool operator==(const ScheduleRow&) const = default;
};

// Seven rows, Monday (0) to Sunday (6).
using KitchenSchedule = std::array<ScheduleRow, 7>;

// "TlraKP2Ini.dat": seven lines of two quoted texts, on-time first, each ended by CR LF,
// no header. Texts are written unchanged.
QByteArray scheduleFileBytes(const KitchenSchedule& schedule);

// Reads the file's rows in order. Rows the data does not reach are blank, so a short or
// damaged file never fills a row with another day's times.
KitchenSchedule parseScheduleFile(const QByteArray& bytes);

} // namespace tillora
