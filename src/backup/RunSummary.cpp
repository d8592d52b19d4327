#include "RunSummary.h"

#include "DatePictures.h"

#include <QLocale>

namespace tillora {

namespace {

// Unchanged files are in the backup as surely as copied ones, so they count; when there
// are any, the copied ones are told apart. "verified" when every copy read back was good.
QString completedInWords(const BackupRunResult& run) {
    const QString size = sizeInWords(run.bytesCopied);
    const QString time = durationInWords(run.started.secsTo(run.finished));
    const QString verified =
        run.verify && run.verify->allGood() ? QStringLiteral(", verified") : QString();
    if (run.filesUnchanged == 0)
        return QStringLiteral("%1, %2, %3").arg(filesInWords(run.filesCopied), size, time) +
               verified;
    return QStringLiteral("%1 copied, %2 unchanged, %3, %4")
               .arg(filesInWords(run.filesCopied), QLocale().toString(run.filesUnchanged), size,
                    time) +
           verified;
}

} // namespace

// The outcome in a word, as the history's off-site column shows it.
QString offsiteOutcomeInWords(OffsiteSummary::Outcome outcome) {
    switch (outcome) {
    case OffsiteSummary::Outcome::Completed:
        return QStringLiteral("made");
    case OffsiteSummary::Outcome::Incomplete:
        return QStringLiteral("INCOMPLETE");
    case OffsiteSummary::Outcome::Failed:
        return QStringLiteral("FAILED");
    case OffsiteSummary::Outcome::CheckFailed:
        return QStringLiteral("check FAILED");
    case OffsiteSummary::Outcome::Stopped:
        return QStringLiteral("stopped");
    case OffsiteSummary::Outcome::Skipped:
        return QStringLiteral("skipped");
    case OffsiteSummary::Outcome::DrillFailed:
        return QStringLiteral("restore drill FAILED");
    }
    return {};
}

namespace {
// "copy FAILED", "check FAILED": what the headline and the run's line both say.
QString offsitePhrase(OffsiteSummary::Outcome outcome) {
    if (outcome == OffsiteSummary::Outcome::CheckFailed ||
        outcome == OffsiteSummary::Outcome::DrillFailed)
        return offsiteOutcomeInWords(outcome);
    return QStringLiteral("copy ") + offsiteOutcomeInWords(outcome);
}
} // namespace

// The copy elsewhere, after the night's own words.
QString offsiteInWords(const OffsiteSummary& offsite) {
    if (offsite.outcome == OffsiteSummary::Outcome::Completed)
        return QStringLiteral("off-site copy made, %1 added").arg(sizeInWords(offsite.bytesAdded)) +
               (offsite.restoreProven ? QStringLiteral(", restore proven") : QString());
    if (offsite.outcome == OffsiteSummary::Outcome::Stopped)
        return QStringLiteral("off-site copy ") + offsite.reason;
    return QStringLiteral("off-site ") + offsitePhrase(offsite.outcome);
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
        summary.attention = summary.attention || offsiteNeedsAttention(run.offsite->outcome);
    }
    return summary;
}

QString fullReadBackLine(const QList<HistoryEntry>& runs) {
    QDate last;
    for (const HistoryEntry& entry : runs) {
        if (entry.run.verify && entry.run.verify->fullyReadBack && entry.run.started.date() > last)
            last = entry.run.started.date();
    }
    return QStringLiteral("Backup drive last fully read back: ") +
           (last.isValid() ? shortDate(last) : QStringLiteral("not yet"));
}

QString restoreProvenLine(const QList<HistoryEntry>& runs) {
    QDate last;
    for (const HistoryEntry& entry : runs) {
        if (entry.run.offsite && entry.run.offsite->restoreProven &&
            entry.run.started.date() > last)
            last = entry.run.started.date();
    }
    return QStringLiteral("Off-site copy: last restore proven ") +
           (last.isValid() ? shortDate(last) : QStringLiteral("never"));
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
    case RunOutcome::RunningElsewhere:
    case RunOutcome::AlreadyDoneToday:
    case RunOutcome::Cancelled:
        return false;
    }
    return false;
}

QString offsiteHeadline(OffsiteSummary::Outcome outcome) {
    return QStringLiteral("Off-site ") + offsitePhrase(outcome);
}

bool offsiteNeedsAttention(OffsiteSummary::Outcome outcome) {
    return outcome == OffsiteSummary::Outcome::Incomplete ||
           outcome == OffsiteSummary::Outcome::Failed ||
           outcome == OffsiteSummary::Outcome::CheckFailed ||
           outcome == OffsiteSummary::Outcome::DrillFailed;
}

} // namespace tillora
