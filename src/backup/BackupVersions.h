#pragma once

#include "VersionTiers.h"

#include <QDate>
#include <QString>

namespace tillora {

class Platform;

// Earlier copies of backup files, kept by the day they were replaced:
// <drive>\TLRAversions\<yyyy-mm-dd>\<the same path below TLRAbackup>. Older day folders
// are merged into weekly and monthly ones (VersionTiers). The owner gets a file back by
// copying it from there; nothing else reads these folders.

// "e:" -> "e:\TLRAversions\"
QString versionsRoot(const QString& drive);

// "e:\TLRAbackup\Tillora\data" -> "Tillora\data": where a backup folder is below the backup.
QString pathBelowBackup(const QString& backupFolder);

// The versions folder of one backup folder on one day:
// "e:\TLRAbackup\Tillora\data" -> "e:\TLRAversions\2026-12-08\Tillora\data".
QString versionFolderFor(const QString& backupFolder, const QDate& day);

// Applies the limits to the dated folders of a drive (VersionTiers::expired): a folder
// past them hands the files its week's or month's kept folder lacks to that folder and
// goes. Returns how many folders went.
int removeExpiredVersions(const Platform& platform, const QString& drive, const QDate& today,
                          const VersionLimits& limits);

// The days of the dated folders of a drive, oldest first.
QList<QDate> versionDays(const Platform& platform, const QString& drive);
// "e:" and 8 December 2026 -> "e:\TLRAversions\2026-12-08"
QString versionDayFolder(const QString& drive, const QDate& day);

// The day of the oldest dated folder of a drive; invalid when there is none.
QDate oldestVersionDay(const Platform& platform, const QString& drive);

// Makes room: the next folder VersionTiers::nextToFree names goes, merged the same way;
// false when there is none, or it could not go whole.
bool removeVersionsForRoom(const Platform& platform, const QString& drive, const QDate& today,
                           const VersionLimits& limits);

// A backup copy found damaged when read back is kept beside the day's versions as
// "<name>.damaged-<yyyy-mm-dd>": evidence for the owner, never a version to restore.
QString damagedCopySuffix(const QDate& day); // ".damaged-2026-12-08"
bool isDamagedCopyName(const QString& name);

// Removes every damaged copy kept on a drive: the first thing to go when room is needed.
// Returns how many went.
int removeDamagedCopies(const Platform& platform, const QString& drive);

} // namespace tillora
