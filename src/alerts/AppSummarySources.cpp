#include "AppSummarySources.h"

#include "BackupHistoryLog.h"
#include "ClosedGateways.h"
#include "OffsiteOptions.h"
#include "ProgramValues.h"
#include "RunSummary.h"
#include "TextSettingsFile.h"

namespace tillora {

AppSummarySources::AppSummarySources(Platform& platform, const ProgramValues& values,
                                     const Clock& clock, const BackupHistoryLog& history,
                                     Notifier& notifier)
    : platform_(platform)
    , values_(values)
    , clock_(clock)
    , history_(history)
    , notifier_(notifier) {
}

QString AppSummarySources::companyName() const {
    return values_.CompanyName;
}

TotalResult AppSummarySources::salesTotal() const {
    return PosTotals(platform_, values_.RemoteDIR).salesTotal();
}

TotalResult AppSummarySources::discountTotal() const {
    return PosTotals(platform_, values_.RemoteDIR).discountTotal();
}

QList<SalesReading> AppSummarySources::salesReadings() const {
    return SalesDaysLog(platform_, values_).readings();
}

ClockedInList AppSummarySources::clockedIn() const {
    return TimeClockFiles(platform_, values_, clock_).LoadClockedIn();
}

QList<HistoryEntry> AppSummarySources::runsSince(const QDateTime& since) const {
    QList<HistoryEntry> runs;
    for (const HistoryEntry& entry : history_.runs()) {
        if (entry.run.started >= since)
            runs.append(entry);
    }
    return runs;
}

// The last snapshot is the last night whose copy made one; the check is the weekly one.
std::optional<OffsiteFacts> AppSummarySources::offsite() const {
    if (!OffsiteOptions::load(platform_, values_).enabled)
        return std::nullopt;
    OffsiteFacts facts{std::nullopt, OffsiteState::load(platform_, values_).lastMaintenance};
    for (const HistoryEntry& entry : history_.runs()) {
        const auto& copy = entry.run.offsite;
        const bool snapshot = copy && (copy->outcome == OffsiteSummary::Outcome::Completed ||
                                       copy->outcome == OffsiteSummary::Outcome::Incomplete ||
                                       copy->outcome == OffsiteSummary::Outcome::CheckFailed ||
                                       copy->outcome == OffsiteSummary::Outcome::DrillFailed);
        if (snapshot && (!facts.lastCopy || copy->finished > *facts.lastCopy))
            facts.lastCopy = copy->finished;
    }
    return facts;
}

QStringList AppSummarySources::provenLines() const {
    const QList<HistoryEntry> runs = history_.runs();
    QStringList lines{fullReadBackLine(runs)};
    if (OffsiteOptions::load(platform_, values_).enabled)
        lines.append(restoreProvenLine(runs));
    return lines;
}

QStringList AppSummarySources::channelWarnings(const QDate& today) const {
    if (!notifier_.enabledChannels().contains(Channel::Gateway))
        return {};
    const auto settings = loadTextSettings(platform_, values_);
    const QString warning = settings && settings->gatewayTemplate
                                ? closedGatewayWarning(*settings->gatewayTemplate, today)
                                : QString();
    return warning.isEmpty() ? QStringList() : QStringList{warning};
}

} // namespace tillora
