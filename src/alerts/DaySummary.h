#pragma once

#include "BackupHistoryLog.h"
#include "Notifier.h"
#include "PosTotals.h"
#include "SalesDaysLog.h"
#include "TimeClockFiles.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QStringList>

#include <optional>

namespace tillora {

// The off-site copy as the day summary tells it.
struct OffsiteFacts {
    std::optional<QDateTime> lastCopy; // when the last snapshot was made
    QDate lastCheck;                   // when the repository last passed its check
};

// What the day summary reads, asked afresh each time. Reading the totals and the time
// clock means reading the point-of-sale's files, so the summary is made off the window's
// thread: every function may be called from any thread.
class DaySummarySources {
public:
    virtual ~DaySummarySources() = default;
    virtual QString companyName() const = 0;
    // Read as the hourly report reads them.
    virtual TotalResult salesTotal() const = 0;
    virtual TotalResult discountTotal() const = 0;
    virtual QList<SalesReading> salesReadings() const = 0;
    virtual ClockedInList clockedIn() const = 0;
    // The runs that started at or after `since`, in the order they were recorded.
    virtual QList<HistoryEntry> runsSince(const QDateTime& since) const = 0;
    // Nothing when no off-site copy is set up.
    virtual std::optional<OffsiteFacts> offsite() const = 0;
    // When the copies were last proven whole, as the history window says it: the backup
    // drive read back, and the off-site copy's restore drill when there is one.
    virtual QStringList provenLines() const = 0;
    // What the channels the summary goes out on warn about (a carrier gateway closing).
    virtual QStringList channelWarnings(const QDate& today) const = 0;
};

// One day summary: the message, and the totals it read, to be kept with the others.
struct DaySummary {
    NotifyMessage message;
    SalesReading reading;
};

// The owner's day in one message: sales against the same weekday last week, who is still
// clocked in, last night's backup, the off-site copy and whatever needs the owner.
class DaySummaryComposer {
public:
    // Runs this far back are looked at for last night's backup and a fault's first night.
    static constexpr int DaysOfRuns = 14;

    explicit DaySummaryComposer(const DaySummarySources& sources);

    DaySummary compose(const QDateTime& now) const;

private:
    QString salesLine(const TotalResult& sales, const QList<SalesReading>& readings,
                      const QDateTime& now) const;
    QString discountsLine(const TotalResult& discounts, const QList<SalesReading>& readings,
                          const QDateTime& now) const;
    QString clockedInLine() const;
    QStringList backupLines(const QList<HistoryEntry>& nights, const QDate& today) const;
    QStringList needsTheOwner(const QList<HistoryEntry>& nights, const QDate& today) const;

    const DaySummarySources& sources_;
};

// "Joe's Diner: day summary Tue 12/8".
QString daySummaryTitle(const QString& company, const QDate& day);

} // namespace tillora
