#pragma once

#include "Platform.h"

#include <QString>
#include <QtGlobal>

#include <optional>

namespace tillora {

// A byte count in the largest unit of powers of 1024, up to gigabytes, in which it is at
// least 1: stored rounded to four decimals, shown cut (not rounded) to two.
struct DriveFigure {
    double shown = 0.0;
    QString unit = QStringLiteral("Bytes");

    static DriveFigure of(quint64 bytes);
    // The figure as the window writes it: full stop, no trailing zeros ("1.5", "1023.99").
    QString text() const;
};

// The two lines of the drive information window for a disk-space answer; a drive that
// cannot be queried shows 0 Bytes on both.
struct DriveSpaceLines {
    QString capacity; // "Drive Capacity: 465.76 Gigabytes"
    QString free;     // "Free Space: 12 Megabytes"

    static DriveSpaceLines of(const std::optional<DiskSpace>& space);
};

} // namespace tillora
