#pragma once

#include "BackupRunResult.h"
#include "Notifier.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace tillora::alert {

// How the nights of one week went: a night counts once, by its best run.
struct WeekCounts {
    int completed = 0;
    int incomplete = 0; // a backup, but with files not copied
    int failed = 0;     // runs, none of them a backup
    int withoutRun = 0; // the PC was off, or the program was not running
};

// "Backup FAILED" or "Backup INCOMPLETE", with the store, the time, the outcome in the
// main window's words and the first files not copied.
NotifyMessage runNotCompleted(const BackupRunResult& result, const QString& company);
// "Backup OK": the night made up once its backup (or source) drive came back.
NotifyMessage madeUpAfterDriveReturned(const BackupRunResult& result, bool sourceDrive);
// "Off-site copy FAILED" or "Off-site copy INCOMPLETE", with restic's own reason.
NotifyMessage offsiteNotCompleted(const BackupRunResult& result, const QString& company);
// "No backup for N days".
NotifyMessage noBackupFor(int days, const QDateTime& lastBackup, const QString& company);
// "Backups this week", with the folders the week's last backup left out and, when the day
// summary is on, the week's sales.
NotifyMessage weeklySummary(const WeekCounts& week, const std::optional<QDateTime>& lastBackup,
                            const QString& company, const QList<FolderLeftOut>& leftOut = {},
                            std::optional<double> weekSales = {});
// What the Delivery window's "Send test alert" sends.
NotifyMessage testAlert(const QString& company);

} // namespace tillora::alert
