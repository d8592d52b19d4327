#include "NightlyChart.h"

#include "RunSummary.h"

namespace tillora {

QList<NightBar> nightlyBars(const QList<HistoryEntry>& runs, const QDate& lastNight, int nights) {
    if (nights <= 0)
        return {};
    const QDate first = lastNight.addDays(1 - nights);
    QList<NightBar> bars(nights);
    QList<QDateTime> lastRunOf(nights);
    for (int i = 0; i < nights; ++i)
        bars[i].date = first.addDays(i);

    for (const HistoryEntry& entry : runs) {
        const BackupRunResult& run = entry.run;
        const qint64 index = first.daysTo(run.started.date());
        if (index < 0 || index >= nights || run.outcome == RunOutcome::Declined ||
            run.outcome == RunOutcome::Cancelled || run.outcome == RunOutcome::RunningElsewhere ||
            !run.isRun())
            continue;
        NightBar& bar = bars[index];
        bar.megabytes += double(run.bytesCopied) / (1024.0 * 1024.0);
        if (!lastRunOf[index].isValid() || run.started >= lastRunOf[index]) {
            lastRunOf[index] = run.started;
            bar.state =
                needsAttention(run.outcome) ? NightBar::State::Attention : NightBar::State::Good;
        }
    }
    return bars;
}

} // namespace tillora
