#include "RunSummary.h"

#include <QLocale>

namespace tillora {

namespace {

// Unchanged files are in the backup as surely as copied ones, so they count; when there
// are any, the copied ones are told apart.
QString completedInWords(const BackupRunResult& run) {
    const QString size = sizeInWords(run.bytesCopied);
    const QString time = durationInWords(run.started.secsTo(run.finished));
    if (run.filesUnchanged == 0)
        return QStringLiteral("%1, %2, %3").arg(filesInWords(run.filesCopied), size, time);
    return QStringLiteral("%1 copied, %2 unchanged, %3, %4")
        .arg(filesInWords(run.filesCopied), QLocale().toString(run.filesUnchanged), size, time);
}

} // namespace

QString offsiteOutcomeInWords(OffsiteSummary::Outcome outcome) {
    switch (outcome) {
    case OffsiteSummary::Outcome::Completed:
        return QStringLiteral("made");
    case OffsiteSummary::Outcome::Incomplete:
        return QStringLiteral("INCOMPLETE");
    case OffsiteSummary::Outcome::Failed:
        return QStringLiteral("FAILED");
    }
    return {};
}

QString offsiteInWords(const OffsiteSummary& offsite) {
    QString words = QStringLiteral("off-site copy ") + offsiteOutcomeInWords(offsite.outcome);
    if (offsite.outcome == OffsiteSummary::Outcome::Completed)
        words += QStringLiteral(", %1 added").arg(sizeInWords(offsite.bytesAdded));
    return words;
}

RunSummary summarize(const BackupRunResult& run, qint64 filesNotCopied) {
    RunSummary summary;
    summary.outcome = outcomeInWords(run, filesNotCopied);
    summary.attention = needsAttention(run.outcome);
    const QString what =
        run.outcome == RunOutcome::Completed ? completedInWords(run) : summary.outcome;
    summary.line = QStringLiteral("%1: %2").arg(timeOfDayInWords(run.started.time()), what);
    summary.lines = summary.line;
    if (run.offsite) {
        const QString offsite = offsiteInWords(*run.offsite);
        summary.line += QStringLiteral("; ") + offsite;
        summary.lines += u'\n' + offsite;
        summary.attention =
            summary.attention || run.offsite->outcome != OffsiteSummary::Outcome::Completed;
    }
    return summary;
}

bool needsAttention(RunOutcome outcome) {
    switch (outcome) {
    case RunOutcome::CompletedWithProblems:
    case RunOutcome::NetworkFailed:
    case RunOutcome::DestinationUnavailable:
    case RunOutcome::SourceUnavailable:
        return true;
    case RunOutcome::Completed:
    case RunOutcome::Declined:
    case RunOutcome::AlreadyRunning:
    case RunOutcome::AlreadyDoneToday:
    case RunOutcome::Cancelled:
        return false;
    }
    return false;
}

} // namespace tillora
