#include "RunSummary.h"

#include <QLocale>

namespace tillora {

namespace {

QString filesInWords(qint64 count) {
    return count == 1 ? QStringLiteral("1 file")
                      : QStringLiteral("%1 files").arg(QLocale().toString(count));
}

QString outcomeInWords(RunOutcome outcome, qint64 filesNotCopied) {
    switch (outcome) {
    case RunOutcome::Completed:
        return QStringLiteral("completed");
    case RunOutcome::CompletedWithProblems:
        return QStringLiteral("%1 NOT copied").arg(filesInWords(filesNotCopied));
    case RunOutcome::Declined:
        return QStringLiteral("not done (declined)");
    case RunOutcome::NetworkFailed:
        return QStringLiteral("network drive not connected");
    case RunOutcome::DestinationUnavailable:
        return QStringLiteral("backup drive not found");
    case RunOutcome::SourceUnavailable:
        return QStringLiteral("source drive not found");
    case RunOutcome::AlreadyRunning:
        return QStringLiteral("a backup is already running");
    case RunOutcome::AlreadyDoneToday:
        return QStringLiteral("already done today");
    case RunOutcome::Cancelled:
        return QStringLiteral("cancelled");
    }
    return {};
}

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

// The copy elsewhere, after the night's own words.
QString offsiteInWords(const OffsiteSummary& offsite) {
    switch (offsite.outcome) {
    case OffsiteSummary::Outcome::Completed:
        return QStringLiteral("off-site copy made, %1 added").arg(sizeInWords(offsite.bytesAdded));
    case OffsiteSummary::Outcome::Incomplete:
        return QStringLiteral("off-site copy INCOMPLETE");
    case OffsiteSummary::Outcome::Failed:
        return QStringLiteral("off-site copy FAILED");
    }
    return {};
}

} // namespace

RunSummary summarize(const BackupRunResult& run, qint64 filesNotCopied) {
    RunSummary summary;
    summary.outcome = outcomeInWords(run.outcome, filesNotCopied);
    summary.attention = needsAttention(run.outcome);
    const QString what =
        run.outcome == RunOutcome::Completed ? completedInWords(run) : summary.outcome;
    summary.line = QStringLiteral("%1: %2").arg(timeOfDayInWords(run.started.time()), what);
    if (run.offsite) {
        summary.line += QStringLiteral("; ") + offsiteInWords(*run.offsite);
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

QString triggerInWords(RunTrigger trigger) {
    switch (trigger) {
    case RunTrigger::Scheduled:
        return QStringLiteral("scheduled");
    case RunTrigger::BackupNow:
        return QStringLiteral("Backup Now");
    case RunTrigger::CatchUp:
        return QStringLiteral("catch-up");
    }
    return {};
}

QString sizeInWords(qint64 bytes) {
    return QLocale().formattedDataSize(std::max<qint64>(0, bytes), 1,
                                       QLocale::DataSizeTraditionalFormat);
}

QString durationInWords(qint64 seconds) {
    seconds = std::max<qint64>(0, seconds);
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    if (seconds < 3600)
        return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

QString timeOfDayInWords(const QTime& time) {
    // The form of the start-time list, whatever the locale says.
    const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1:%2 %3")
        .arg(hour)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? QStringLiteral("am") : QStringLiteral("pm"));
}

} // namespace tillora
