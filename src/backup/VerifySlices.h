#pragma once

#include <QString>

namespace tillora {

// Which unchanged backup copies a night reads back and compares with their sources. Each
// copy belongs to one of 28 slices by a stable hash of its path below the backup folder.
// A night reads the slice its counter names, in path order, and may stop part way (its
// time is limited) to go on after the last path read the next night. The counter moves on
// only when its slice was read to the end, so the whole backup is read back once every 28
// nights that finish a slice, however many nights the PC was off.
class VerifySlices {
public:
    static constexpr int Count = 28;

    // Where reading back stands: kept between nights ([Verify] NextSlice and ReadUpTo).
    struct Position {
        int slice = 0;
        QString after; // the key of the last copy of `slice` read; empty: none yet
        bool operator==(const Position&) const = default;
    };

    // A copy's key: its path below the backup folder ("Tillora\data\a.dat"), with either
    // separator, in any case, since the drive's file system ignores case.
    static QString keyOf(const QString& pathBelowBackup);
    // The part of a folder's copies' keys before their names: "tillora\data\", or empty
    // for the backup folder itself.
    static QString folderKey(const QString& folderBelowBackup);
    static int sliceOf(const QString& key);

    // True when the copy with this key is still to be read from `at`. Keys are read in
    // their sort order (QString::compare).
    static bool due(const Position& at, const QString& key);
    // Where the next night starts: the next slice when this one was read to the end, else
    // after the last key read (`lastKey` empty: nothing was read).
    static Position next(const Position& at, bool finished, const QString& lastKey);
    // True when a finished slice was the last one: the whole backup has been read back.
    static bool wrapsAround(const Position& at, bool finished) {
        return finished && at.slice == Count - 1;
    }
};

} // namespace tillora
