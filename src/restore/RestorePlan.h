#pragma once

#include "RestoreCatalog.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <filesystem>

namespace tillora {

class Platform;
class RestoreTargets;

// One file to give back and where it goes.
struct RestoreTarget {
    BackedUpFile file;
    std::filesystem::path target; // native
    QString shownTarget;          // as the owner reads it
    QString storePath;            // "Tillora\data\a.dat": its place below a restore folder
    bool replaces = false;        // a file stands there now
    qint64 replacedBytes = 0;
};

// What a restore will do, worked out before it starts, and whether it may.
struct RestorePlan {
    QList<RestoreTarget> files;
    qint64 bytes = 0;
    QString refusal; // why it may not start, in the owner's words; empty when it may

    QStringList replaced() const; // the shown targets that a file stands at now
};

// Each file goes to its own place (`intoFolder` empty), or below `intoFolder` (a native
// path) by its place in the store ("<folder>\Tillora\data\a.dat"). Refused: nothing
// chosen, a target inside the backup's own folders (TLRAbackup, TLRAversions; a restore
// never writes to them) and a destination without room for the files and for the copies
// of those they replace.
RestorePlan planRestore(const Platform& platform, const RestoreTargets& targets,
                        const QString& backupDrive, const QList<BackedUpFile>& files,
                        const QString& intoFolder);

} // namespace tillora
