#pragma once

#include "FileSave.h"
#include "VerifySlices.h"
#include "VersionTiers.h"

#include <QString>

namespace tillora {

class Platform;
struct ProgramValues;

// The backup's own options beside the store's files, in <DataDIR>ini\BackupOptions.ini
// (Qt's INI format), group [Backup]. A missing file or a damaged value means the default.
// Other groups of the same file belong to other parts of the program and are kept as
// they are when this group is saved.
struct BackupOptions {
    bool skipUnchanged = true;    // SkipUnchanged
    int keepVersionsDays = 14;    // KeepVersionsDays; 0 keeps no earlier versions
    int keepWeeklyVersions = 8;   // KeepWeeklyVersions: weeks with a folder of their own
    int keepMonthlyVersions = 12; // KeepMonthlyVersions: months with a folder of their own
    bool catchUpMissedRun = true; // CatchUpMissedRun
    // IncludeOtherFolders: folders below a ticked product that are no step of the
    // directory set are copied too, to the same place below the product's backup folder.
    bool includeOtherFolders = false;
    // CatchUpUntil: the time of day ("9:00 am") after a backup minute until which a missed
    // or failed night is made up by itself; empty for any time.
    QString catchUpUntil;
    // Verify/MaxMinutes: how long a night may spend comparing unchanged copies with their
    // sources (VerifySlices); 0 compares none.
    int verifyMaxMinutes = 20;

    // The same numbers serve the versions folders and the off-site copy's snapshots.
    VersionLimits versionLimits() const {
        return {keepVersionsDays, keepWeeklyVersions, keepMonthlyVersions};
    }

    static QString windowsPath(const ProgramValues& values); // "c:\Tillora\ini\BackupOptions.ini"
    static BackupOptions load(const Platform& platform, const ProgramValues& values);
    SaveResult save(const Platform& platform, const ProgramValues& values) const;
};

// How far reading back the unchanged copies has come ([Verify] NextSlice and ReadUpTo of
// the same file): kept by each run, never set by the owner.
VerifySlices::Position loadVerifyPosition(const Platform& platform, const ProgramValues& values);
SaveResult saveVerifyPosition(const Platform& platform, const ProgramValues& values,
                              const VerifySlices::Position& position);

// The backup drive as the last run that wrote to it found it ([Drive] of the same file):
// its volume serial number ("1A2B-3C4D") and the letter the settings gave it ("e:").
// Windows gives a USB drive the first free letter when it arrives, so the letter alone
// may lead to another drive; kept by each run, never set by the owner.
struct BackupDriveIdentity {
    QString letter; // Letter
    QString serial; // Serial
    bool operator==(const BackupDriveIdentity&) const = default;
};
QString volumeSerialText(quint32 serial);
BackupDriveIdentity loadDriveIdentity(const Platform& platform, const ProgramValues& values);
SaveResult saveDriveIdentity(const Platform& platform, const ProgramValues& values,
                             const BackupDriveIdentity& identity);

} // namespace tillora
