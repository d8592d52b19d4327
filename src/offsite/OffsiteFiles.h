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

} // namespace tillora
