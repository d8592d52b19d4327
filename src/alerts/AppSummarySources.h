#pragma once

#include "DaySummary.h"

namespace tillora {

class BackupHistoryLog;
class Clock;
class Notifier;
class Platform;
struct ProgramValues;

// The day summary's view of the running program: the point-of-sale's totals and the time
// clock's files as the hourly report reads them, the sales log, the run history, the
// off-site copy's settings and state, and the channels the summary goes out on.
class AppSummarySources final : public DaySummarySources {
public:
    AppSummarySources(Platform& platform, const ProgramValues& values, const Clock& clock,
                      const BackupHistoryLog& history, Notifier& notifier);

    QString companyName() const override;
    TotalResult salesTotal() const override;
    TotalResult discountTotal() const override;
    QList<SalesReading> salesReadings() const override;
    ClockedInList clockedIn() const override;
    QList<HistoryEntry> runsSince(const QDateTime& since) const override;
    std::optional<OffsiteFacts> offsite() const override;
    QStringList provenLines() const override;
    QStringList channelWarnings(const QDate& today) const override;

private:
    Platform& platform_;
    const ProgramValues& values_;
    const Clock& clock_;
    const BackupHistoryLog& history_;
    Notifier& notifier_;
};

} // namespace tillora
