#pragma once

#include "ContentHash.h"
#include "NativeFiles.h"
#include "VerifySlices.h"

#include <QString>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

namespace tillora {

class Platform;

// Reads a run's backup copies back from the drive after the flush, from the disk rather
// than the system's cache: every copy written in the run against the hash taken while it
// was written, and the night's slice of unchanged copies (VerifySlices) against their
// sources, byte for byte, within a time limit. It never writes: what it finds, the run
// repairs.
class ReadBackCheck {
public:
    // A backup folder of the run and its source.
    struct Folder {
        QString source; // Windows form, as the owner reads it
        QString destination;
        std::filesystem::path sourcePath; // native
        std::filesystem::path destinationPath;
        QString keyPrefix; // the folder's part of its copies' slice keys: "tillora\data\"
    };
    // One backup copy to read back.
    struct Copy {
        int folder = 0;
        std::filesystem::path sourceName;
        std::filesystem::path backupName;
        qint64 size = 0;
        std::optional<ContentHash> hash; // written in the run; else compared with the source
        FileFacts sourceFacts;           // the source as the run found it
        QString key;                     // a slice copy's key
    };
    // What one reading found.
    struct Findings {
        std::vector<Copy> damaged;       // other bytes than were written, or unreadable
        std::vector<Copy> sourceChanged; // the source moved on: to be copied, not damaged
        qint64 files = 0;                // read back whole and good
        qint64 bytes = 0;
        bool sliceFinished = false;
        QString lastKey;      // of the slice, the last copy read whole
        QString endedBecause; // the drive could not be read: nothing after was read
        std::chrono::milliseconds writtenTime{0};
        std::chrono::milliseconds sliceTime{0};
    };

    // `keepGoing` is asked between pieces of a file; false stops the reading there.
    ReadBackCheck(Platform& platform, VerifySlices::Position position,
                  std::function<bool()> keepGoing);

    const VerifySlices::Position& position() const { return position_; }

    // The index by which copies name the folder.
    int addFolder(Folder folder);
    const Folder& folder(int index) const { return folders_[std::size_t(index)]; }
    void addWritten(int folder, const std::filesystem::path& sourceName,
                    const std::filesystem::path& backupName, qint64 size, const ContentHash& hash);
    // An unchanged copy, kept only when its slice is due tonight.
    void addUnchanged(int folder, const std::filesystem::path& sourceName,
                      const std::filesystem::path& backupName, const FileFacts& sourceFacts);

    // The copies written in the run, then the slice until `sliceLimit` has passed.
    Findings readBack(std::chrono::milliseconds sliceLimit);
    // Copies written again after a first reading (all with a hash).
    Findings readBackAgain(const std::vector<Copy>& copies);

private:
    enum class Verdict { Same, Different, SourceChanged, Unreadable, Stopped };
    struct Check {
        Verdict verdict = Verdict::Same;
        QString reason;
    };

    Check againstHash(const Copy& copy);
    // `keepGoing` adds the slice's own time limit to the run's.
    Check againstSource(const Copy& copy, const std::function<bool()>& keepGoing);
    // Files one verdict in the findings; false when reading ends here.
    bool take(const Copy& copy, const Check& check, Findings& findings);
    std::filesystem::path backupPath(const Copy& copy) const;
    std::filesystem::path sourcePath(const Copy& copy) const;

    Platform& platform_;
    VerifySlices::Position position_;
    std::function<bool()> keepGoing_;
    std::vector<Folder> folders_;
    std::vector<Copy> written_;
    std::vector<Copy> slice_;
};

} // namespace tillora
