#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tillora {

// The mount points this machine knows of: those it is set up to mount (/etc/fstab) and
// those with something mounted on them now (/proc/self/mountinfo). A backup drive that is
// a mount point with nothing on it is an empty folder of the system disk, not the drive.
struct MountTable {
    QStringList configured;
    QStringList mounted;

    // Read from the system's files; a file that cannot be read lists nothing.
    static MountTable read();
    static QStringList parseFstab(const QByteArray& text);
    static QStringList parseMountInfo(const QByteArray& text);

    // A folder (links followed) that is a configured mount point with nothing mounted on it.
    bool isUnmountedMountPoint(const QString& folder) const;
};

} // namespace tillora
