#pragma once

#include "BackupSetupSnapshot.h"

#include <QList>
#include <QString>

namespace tillora {

// The backup's folders read backwards: where a folder of TLRAbackup came from. Most
// mirror their source below the source drive, but some do not ("Tillora\ADs" is
// "c:\Tillora\ADS"; the card-payment history has a fixed place of its own), and the
// folder names are the owner's. A folder below a copied one (one copied with the
// folders outside the list) lies as far below its source.
class RestoreTargets {
public:
    explicit RestoreTargets(const BackupSetupSnapshot& setup);

    // "Tillora\ADs" -> "c:\Tillora\ADS"; "" (the top of TLRAbackup) for a product whose
    // folder name is empty -> "c:".
    QString sourceFolderOf(const QString& folderBelowBackup) const;

    // The place of a source path on its own drive, as a restore into another folder
    // lays it out: "c:\Tillora\ADS\a.dat" -> "Tillora\ADS\a.dat".
    static QString storePathOf(const QString& sourcePath);

private:
    struct Origin {
        QString backupFolder; // below TLRAbackup
        QString sourceFolder;
    };
    QList<Origin> origins_; // longest backup folder first
    QString sourceDrive_;
};

} // namespace tillora
