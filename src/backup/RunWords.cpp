#include "RunWords.h"

#include <QLocale>

#include <algorithm>

namespace tillora {

namespace {

QString destinationInWords(DestinationFault fault) {
    switch (fault) {
    case DestinationFault::Unknown:
    case DestinationFault::Missing:
        return QStringLiteral("backup drive not found");
    case DestinationFault::NotWritable:
        return QStringLiteral("backup drive cannot be written");
    case DestinationFault::FlushFailed:
        return QStringLiteral("backup drive did not finish writing");
    case DestinationFault::OtherDrive:
        return QStringLiteral("another drive at the backup drive's letter");
    }
    return {};
}

} // namespace

QString outcomeInWords(const BackupRunResult& run, qint64 filesNotCopied) {
    switch (run.outcome) {
    case RunOutcome::Completed:
        return QStringLiteral("completed");
    case RunOutcome::CompletedWithProblems:
        return QStringLiteral("%1 NOT copied").arg(filesInWords(filesNotCopied));
    case RunOutcome::Declined:
        return QStringLiteral("not done (declined)");
    case RunOutcome::NetworkFailed:
        return QStringLiteral("network drive not connected");
    case RunOutcome::DestinationUnavailable:
        return destinationInWords(run.destinationFault);
    case RunOutcome::SourceUnavailable:
        return QStringLiteral("source drive not found");
    case RunOutcome::AlreadyRunning:
        return QStringLiteral("a backup is already running");
    case RunOutcome::RunningElsewhere:
        return QStringLiteral("not done: another user's backup was running");
    case RunOutcome::AlreadyDoneToday:
        return QStringLiteral("already done today");
    case RunOutcome::Cancelled:
        return QStringLiteral("cancelled");
    }
    return {};
}

QString filesInWords(qint64 count) {
    return count == 1 ? QStringLiteral("1 file")
                      : QStringLiteral("%1 files").arg(QLocale().toString(count));
}

QString foldersLeftOutInWords(const QList<FolderLeftOut>& folders) {
    qint64 files = 0;
    QStringList named;
    for (const FolderLeftOut& folder : folders) {
        files += folder.files;
        named.append(folders.size() == 1
                         ? folder.path
                         : QStringLiteral("%1 (%2)").arg(folder.path, filesInWords(folder.files)));
    }
    const QString what = folders.size() == 1
                             ? QStringLiteral("1 folder with %1 is")
                             : QStringLiteral("%1 folders with %2 are").arg(folders.size());
    return what.arg(filesInWords(files)) + QStringLiteral(" not in the backup: ") +
           named.join(QStringLiteral(", "));
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
