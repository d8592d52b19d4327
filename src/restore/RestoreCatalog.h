#pragma once

#include "VersionTiers.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <filesystem>

namespace tillora {

class Platform;

// A moment the backup drive can give files back from: the newest backup, or the night
// before a dated folder of TLRAversions (that folder holds what its night replaced).
struct RestoreMoment {
    enum class Kind { Newest, Day, Week, Month };
    Kind kind = Kind::Newest;
    QDate folderDay; // the dated folder; invalid for the newest backup

    // "Newest backup" or "Before the backup of Wed 9 Dec 2026 (day folder)".
    QString caption() const;
    bool operator==(const RestoreMoment&) const = default;
};

// One file as the backup holds it at a moment.
struct BackedUpFile {
    QString folder;             // below TLRAbackup, Windows form: "Tillora\data"; "" at the top
    std::filesystem::path name; // as the drive names it
    std::filesystem::path copy; // the copy that holds it as it was (native path)
    qint64 size = 0;
    QDateTime modified;

    QString shownName() const;
    QString relativePath() const; // "Tillora\data\a.dat"
};

// What the backup drive holds, moment by moment. For the night before a dated folder,
// each file is its earliest copy in that folder or a later one (each holds what its night
// replaced), else its copy in TLRAbackup. A file only TLRAbackup holds and that was
// changed on or after the folder's day was not in the backup yet as far as the drive can
// tell, and is left out (one the backup first got that night but that was changed the day
// before still shows: nothing on the drive tells). Damaged copies and temporary files are
// never shown.
class RestoreCatalog {
public:
    // `drive` is the backup drive ("e:").
    RestoreCatalog(const Platform& platform, QString drive, VersionLimits limits);

    // The newest backup first, then every dated folder, newest first.
    QList<RestoreMoment> moments(const QDate& today) const;
    // Sorted by folder, then name.
    QList<BackedUpFile> filesAt(const RestoreMoment& moment) const;

private:
    const Platform& platform_;
    QString drive_;
    VersionLimits limits_;
};

} // namespace tillora
