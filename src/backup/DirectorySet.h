#pragma once

#include "BackupControls.h"

#include <QString>

#include <array>

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

// The paths of one backup, formed from the live controls each time they are asked for,
// so a change made during a run applies from the next step on.
class BackupPaths {
public:
    explicit BackupPaths(const BackupControls& controls)
        : controls_(controls) {}

    QString destinationRoot() const; // "e:\TLRAbackup\"
    QString sourceFolder(const BackupStep& step) const;
    QString destinationFolder(const BackupStep& step) const;
    QString paydexHistoryDestination() const; // root + row 4's folder name + "\History"

private:
    const BackupControls& controls_;
};

// True when the folder (a Windows-form path) exists and can be listed.
bool DirExists(const Platform& platform, const QString& folder);

// Makes sure the folder exists, creating missing parents; never creates a drive that is
// not there. False when the folder is still missing afterwards.
bool ensureFolder(const Platform& platform, const QString& folder);

} // namespace tillora
