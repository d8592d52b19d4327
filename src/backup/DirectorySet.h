#pragma once

#include "BackupSetupSnapshot.h"

#include <QList>
#include <QString>

#include <array>
#include <filesystem>

namespace tillora {

class Platform;

// One folder of the backup: the product row it belongs to and the folder below the
// product folder on the source drive and in the backup tree (empty for the product
// folder itself).
struct BackupStep {
    int row;
    const char* sourceSuffix;
    const char* destinationSuffix;
};

// The folders a backup run copies, in the order it copies them.
const std::array<BackupStep, 30>& BackupDirectorySet();

// The product rows that own steps, and the row whose folder name names the card-payment
// history in the backup tree.
constexpr int FirstProductRow = 0;
constexpr int LastProductRow = 3;
constexpr int PaydexRow = 4;
constexpr int NetworkDriveRow = 5;

// The card-payment history that the Cardessa row carries along.
QString paydexHistorySource();

// Drive letter and colon of a drive selector's text ("e: [BACKUP]" -> "e:").
QString driveOfSelector(const QString& selectorText);

// Whether the drive of a selector's text is among the platform's connected drives.
bool isDriveConnected(const Platform& platform, const QString& selectorText);

// "c:\Tillora\data" and "a.dat" -> "c:\Tillora\data\a.dat", as the operator sees it.
QString windowsFilePath(const QString& folder, const std::filesystem::path& name);

// Whether a folder box's name keeps the backup inside its product folder and the backup
// tree: no drive, no leading backslash or server, no "." or ".." step, no character a
// Windows folder name cannot hold. An empty name is allowed: it means the drive's top.
bool isSafeFolderName(const QString& name);

// The paths of one backup, formed from a copy of the settings. A folder name that is not
// safe is never followed: it counts as empty, so no path leads out of the backup tree.
class BackupPaths {
public:
    explicit BackupPaths(BackupSetupSnapshot setup)
        : setup_(std::move(setup)) {}

    QString destinationRoot() const; // "e:\TLRAbackup\"
    QString sourceFolder(const BackupStep& step) const;
    QString destinationFolder(const BackupStep& step) const;
    QString paydexHistoryDestination() const; // root + row 4's folder name + "\History"

private:
    QString folderName(int row) const;

    BackupSetupSnapshot setup_;
};

// The enabled product rows whose folder names are not safe, to tell the owner about.
QList<int> refusedFolderRows(const BackupSetupSnapshot& setup);
// The settings as a run follows them: a product row whose folder name is not safe counts
// as switched off, so the run never copies from or into such a folder.
BackupSetupSnapshot withUnsafeFoldersOff(BackupSetupSnapshot setup);

} // namespace tillora
