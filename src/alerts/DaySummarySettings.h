#pragma once

#include "FileSave.h"

#include <QString>
#include <QTime>

#include <optional>

namespace tillora {

class Platform;
struct ProgramValues;

// The day summary, group [Summary] of <DataDIR>ini\Notify.ini; the file's other groups
// are kept as they are when this one is saved.
struct DaySummarySettings {
    bool enabled = false; // Enabled
    QString at;           // At: "10:15 pm" (or "22:15"); empty for the default

    // Minutes after the report window's last report time when At is empty.
    static constexpr int DefaultMinutesAfterReports = 15;

    // When the summary goes out: At, else a quarter of an hour after `lastReportTime`
    // (the texter's last report time); nothing when neither reads as a time of day.
    std::optional<QTime> sendTime(const QString& lastReportTime) const;

    static DaySummarySettings load(const Platform& platform, const ProgramValues& values);
    SaveResult save(const Platform& platform, const ProgramValues& values) const;
};

// Why a summary time typed in the window cannot be saved, naming the field; empty when it
// can (empty text included: the default).
QString summaryTimeProblem(const QString& text);

} // namespace tillora
