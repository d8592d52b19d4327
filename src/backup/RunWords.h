#pragma once

#include "BackupRunResult.h"

#include <QString>
#include <QTime>

namespace tillora {

// The words the owner reads about runs, the same on the main window, in the history
// window and in the alerts.

// What a run came to: "completed", "2 files NOT copied", "backup drive not found".
// `filesNotCopied` is the count the run reported (the list may be kept elsewhere).
QString outcomeInWords(const BackupRunResult& run, qint64 filesNotCopied);

QString filesInWords(qint64 count); // "1 file", "6,001 files"
// "2 folders with 3,001 files are not in the backup: c:\Tillora\data\big (1 file), ..."
QString foldersLeftOutInWords(const QList<FolderLeftOut>& folders);
QString triggerInWords(RunTrigger trigger);  // "scheduled", "Backup Now", "catch-up"
QString sizeInWords(qint64 bytes);           // "1.0 GB"
QString durationInWords(qint64 seconds);     // "42 s", "3 min 5 s", "1 h 12 min"
QString timeOfDayInWords(const QTime& time); // "3:00 am"

} // namespace tillora
