#pragma once

#include "BackupSetupSnapshot.h"

#include <QStringList>

#include <optional>

namespace tillora {

class Platform;
struct ProgramValues;

// One file of the directory set and where the nightly local copy puts it, native paths.
struct SetFile {
    QString source;
    QString backupCopy;
};

// Exactly the files the nightly local copy takes: the regular files lying directly in
// each folder of the directory set of the enabled rows, the card-payment history with the
// gift-card row. Never a whole drive.
QList<SetFile> directorySetCopies(const BackupSetupSnapshot& setup, const Platform& platform);
// The same, their sources only.
QStringList directorySetFiles(const BackupSetupSnapshot& setup, const Platform& platform);

// How restic names a native path inside a snapshot: a Windows path "C:\Tillora\a.dat"
// becomes "/C/Tillora/a.dat" (and so does a snapshot's own "/c/Tillora/a.dat"); any other
// stays as it is.
QString snapshotPathOf(const QString& nativePath);

// The paths as restic's --files-from-raw reads them: each ended by a NUL, so any
// character a file name may hold (a line end included) passes unchanged.
QByteArray nulSeparated(const QStringList& nativePaths);

// The store's live data folders (native paths): the data, server and time-clock
// folders and every product folder of the directory set.
QStringList liveDataFolders(const BackupSetupSnapshot& setup, const Platform& platform,
                            const ProgramValues& values);

// Why a restore must not go into `nativeTarget`, or nothing when it may: it has to be a
// new or empty folder outside every live data folder.
std::optional<QString> restoreTargetProblem(const QString& nativeTarget,
                                            const QStringList& liveFolders);

// A drive as restic names its top in a snapshot: "/home/u/.wine/dosdevices/c:/" here,
// "/C/" on Windows.
struct DriveRoot {
    QString letter; // "c:"
    QString snapshotRoot;
};
QList<DriveRoot> driveRoots(const Platform& platform);

// Where a file restic restored at `snapshotPath` belongs below the folder the owner chose
// (native path), by the store's own paths: a file of the source drive straight below it
// ("<folder>\Tillora\data\a.dat"), one of another drive below a folder named by its
// letter ("<folder>\d\..."), one of no drive known here by its whole path.
QString storePlace(const QString& folder, const QString& snapshotPath,
                   const QList<DriveRoot>& roots, const QString& sourceDrive);

// What placing a restore found: the files moved into their places, and those that could
// not be (left where restic put them).
struct PlacedFiles {
    qint64 files = 0;
    QStringList problems;
};
// Moves every file restic restored below `staging` (its --target, inside `folder`) to its
// store place; `staging` goes once it is empty.
PlacedFiles placeRestored(const QString& staging, const QString& folder,
                          const QList<DriveRoot>& roots, const QString& sourceDrive);

} // namespace tillora
