#pragma once

#include "BackupSettingsFile.h"

#include <QString>

namespace tillora {

// The backup's settings as one value: what a run, the off-site copy and the alerts read.
// Taken whole under the model's lock, so a run on its own thread reads a consistent set.
struct BackupSetupSnapshot {
    BackupSettings settings;
    bool catchUpMissedRun = true;
    QString catchUpUntil; // as BackupOptions.ini holds it

    QString startTime() const { return settings.startTime; }
    QString sourceDriveText() const { return settings.sourceDrive; }           // "c:"
    QString destinationDriveText() const { return settings.destinationDrive; } // "e: [LABEL]"
    // Rows 0 to 4 are the folder boxes; row 5 is the network row's fixed text.
    QString folderName(int row) const;
    // Rows 0 to 4 enable the source folders; row 5 marks a network destination.
    bool folderEnabled(int row) const;
    QString lastBackupText() const { return settings.lastDate; }

    bool operator==(const BackupSetupSnapshot&) const = default;
};

// Where a run reads the settings and leaves its new last backup date.
class BackupSetupAccess {
public:
    virtual ~BackupSetupAccess() = default;
    // A copy of the whole set; safe from any thread.
    virtual BackupSetupSnapshot snapshot() const = 0;
    // A finished backup's date, set and saved on the settings' own thread (a save that
    // fails is told there without blocking); safe from any thread.
    virtual void recordLastDate(const QString& date) = 0;
};

} // namespace tillora
