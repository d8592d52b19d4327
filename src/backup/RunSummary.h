#pragma once

#include "BackupHistoryLog.h"
#include "RunWords.h"

#include <QString>

namespace tillora {

// What the owner reads about one run, on the main window, in the tray message and in the
// history window.
struct RunSummary {
    QString line;           // "3:00 am: 6,001 files, 1.0 GB, 42 s" or "3:00 am: 2 files NOT copied"
    QString lines;          // the same with the off-site copy's part on a line of its own
    QString outcome;        // "completed", "2 files NOT copied", "backup drive not found"
    bool attention = false; // shown in red: the night's data may not be safe
};

// `filesNotCopied` is the count the run reported (the list may be kept elsewhere).
RunSummary summarize(const BackupRunResult& run, qint64 filesNotCopied);
inline RunSummary summarize(const BackupRunResult& run) {
    return summarize(run, run.problems.size());
}

// The copy elsewhere in one word ("made", "FAILED"), and as the run's line adds it
// ("off-site copy made, 1.2 MB added").
QString offsiteOutcomeInWords(OffsiteSummary::Outcome outcome);
QString offsiteInWords(const OffsiteSummary& offsite);

// "Backup drive last fully read back: 12/8/2026" (the last night that finished a round of
// read-back slices) or "... not yet".
QString fullReadBackLine(const QList<HistoryEntry>& runs);
// "Off-site copy: last restore proven 12/6/2026" (the last night whose weekly restore
// drill passed) or "... never".
QString restoreProvenLine(const QList<HistoryEntry>& runs);

// A run that failed or left files out, as opposed to one that completed or was declined.
bool needsAttention(RunOutcome outcome);

// The off-site copy's outcome as a title: "Off-site copy FAILED", "Off-site check FAILED",
// "Off-site restore drill FAILED".
QString offsiteHeadline(OffsiteSummary::Outcome outcome);
// The copy failed, left files out or the repository failed its check; a copy stopped
// when the store opened or skipped behind the night before is a note, not a fault.
bool offsiteNeedsAttention(OffsiteSummary::Outcome outcome);

} // namespace tillora
