#pragma once

#include <QDate>
#include <QString>

namespace tillora {

class Platform;

// Earlier copies of backup files, kept by the day they were replaced:
// <drive>\TLRAversions\<yyyy-mm-dd>\<the same path below TLRAbackup>. The owner gets a
// file back by copying it from there; nothing else reads these folders.

// "e:" -> "e:\TLRAversions\"
QString versionsRoot(const QString& drive);

// The versions folder of one backup folder on one day:
// "e:\TLRAbackup\Tillora\data" -> "e:\TLRAversions\2026-12-08\Tillora\data".
QString versionFolderFor(const QString& backupFolder, const QDate& day);

// Removes the dated folders of a drive older than `keepDays` days before `today` (with
// 0, every dated folder: no versions are kept). Returns how many were removed.
int removeVersionsOlderThan(const Platform& platform, const QString& drive, const QDate& today,
                            int keepDays);

// The day of the oldest dated folder of a drive; invalid when there is none.
QDate oldestVersionDay(const Platform& platform, const QString& drive);

// Removes the oldest dated folder of a drive other than today's, to make room; false
// when there is none.
bool removeOldestVersions(const Platform& platform, const QString& drive, const QDate& today);

} // namespace tillora
