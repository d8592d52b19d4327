#include "BackupAlertTexts.h"

#include "DatePictures.h"
#include "PosTotals.h"
#include "RunSummary.h"
#include "RunWords.h"

namespace tillora::alert {

namespace {

// How many paths of files not copied an alert names; a phone shows little more.
constexpr int PathsNamed = 3;

// "Tuesday 12/08/2026 at 03:00 AM"
QString moment(const QDateTime& when) {
    return formatPicture(when, Picture::WeekdayNumericDate) + QStringLiteral(" at ") +
           formatPicture(when, Picture::Time12);
}

QString atStore(const QString& company) {
    const QString name = company.trimmed();
    return name.isEmpty() ? QString() : QStringLiteral(" at ") + name;
}

// "2 files not copied: c:\a, c:\b." or "7 files not copied, among them c:\a, c:\b, c:\c."
QString filesNotCopied(const QList<FileProblem>& problems) {
    QStringList paths;
    for (const FileProblem& problem :
         problems.first(std::min<qsizetype>(problems.size(), PathsNamed)))
        paths.append(problem.path);
    const QString intro =
        problems.size() > PathsNamed ? QStringLiteral(", among them ") : QStringLiteral(": ");
    return filesInWords(problems.size()) + QStringLiteral(" not copied") + intro +
           paths.join(QStringLiteral(", ")) + QLatin1Char('.');
}

} // namespace

NotifyMessage runNotCompleted(const BackupRunResult& result, const QString& company) {
    const bool incomplete = result.outcome == RunOutcome::CompletedWithProblems;
    const QString subject =
        incomplete ? QStringLiteral("Backup INCOMPLETE") : QStringLiteral("Backup FAILED");
    QString text = subject + atStore(company) + QStringLiteral(" on ") + moment(result.started);
    // An incomplete run is told by its files; any other by the main window's words.
    if (incomplete && !result.problems.isEmpty()) {
        text += QStringLiteral(": ") + filesNotCopied(result.problems);
        if (!result.reason.isEmpty())
            text += QLatin1Char(' ') + result.reason.left(1).toUpper() + result.reason.mid(1) +
                    QLatin1Char('.');
        return {subject, text, true};
    }
    text += QStringLiteral(": ") + outcomeInWords(result, result.problems.size());
    if (!result.reason.isEmpty())
        text += QStringLiteral(" (") + result.reason + QLatin1Char(')');
    text += QLatin1Char('.');
    if (!result.problems.isEmpty())
        text += QLatin1Char(' ') + filesNotCopied(result.problems);
    return {subject, text, true};
}

NotifyMessage madeUpAfterDriveReturned(const BackupRunResult& result, bool sourceDrive) {
    return {QStringLiteral("Backup OK"),
            QStringLiteral("Backup completed at %1, after the %2 drive came back")
                .arg(timeOfDayInWords(result.finished.time()),
                     sourceDrive ? QStringLiteral("source") : QStringLiteral("backup")),
            false};
}

NotifyMessage offsiteNotCompleted(const BackupRunResult& result, const QString& company) {
    const QString subject =
        offsiteHeadline(result.offsite ? result.offsite->outcome : OffsiteSummary::Outcome::Failed);
    QString text = subject + atStore(company) + QStringLiteral(" after the backup of ") +
                   moment(result.started);
    if (result.offsite && !result.offsite->reason.isEmpty())
        text += QStringLiteral(": ") + result.offsite->reason;
    text += QLatin1Char('.');
    return {subject, text, true};
}

NotifyMessage noBackupFor(int days, const QDateTime& lastBackup, const QString& company) {
    const QString subject = QStringLiteral("No backup for %1 days").arg(days);
    return {subject,
            subject + atStore(company) + QStringLiteral(": the last backup was on ") +
                moment(lastBackup) + QStringLiteral(". Please check the backup drive."),
            true};
}

NotifyMessage weeklySummary(const WeekCounts& week, const std::optional<QDateTime>& lastBackup,
                            const QString& company, const QList<FolderLeftOut>& leftOut,
                            std::optional<double> weekSales) {
    const QString subject = QStringLiteral("Backups this week");
    QString text = subject + atStore(company) +
                   QStringLiteral(": %1 nights completed, %2 incomplete, %3 failed, %4 without a "
                                  "backup run. ")
                       .arg(week.completed)
                       .arg(week.incomplete)
                       .arg(week.failed)
                       .arg(week.withoutRun);
    text += lastBackup ? QStringLiteral("Last backup: ") + moment(*lastBackup) + QLatin1Char('.')
                       : QStringLiteral("No backup has been made yet.");
    if (weekSales)
        text += QStringLiteral(" Sales this week: ") + TotalResult{*weekSales, {}}.labelText() +
                QLatin1Char('.');
    if (!leftOut.isEmpty())
        text += QLatin1Char(' ') + foldersLeftOutInWords(leftOut) + QLatin1Char('.');
    return {subject, text, false};
}

NotifyMessage testAlert(const QString& company) {
    const QString subject = QStringLiteral("Test alert");
    return {subject,
            subject + atStore(company) +
                QStringLiteral(": backup alerts reach you on this channel."),
            true};
}

} // namespace tillora::alert
