#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tillora {

// Who started a run. Only the operator's "Backup Now" is asked questions; a scheduled
// or catch-up run at night asks nothing it need not.
enum class RunTrigger { Scheduled, BackupNow, CatchUp };

enum class RunOutcome {
    Completed,
    CompletedWithProblems,  // a backup, but some existing files were not copied
    Declined,               // No to the once-a-day or the same-drive question
    NetworkFailed,          // the re-mapping reported "FAIL"
    DestinationUnavailable, // the backup folder could not be created or written
    SourceUnavailable,      // the source drive is not there
    AlreadyRunning,         // refused: another run is in progress; not a run
    RunningElsewhere,       // refused: another user of this PC is backing up at the moment
    AlreadyDoneToday,       // a scheduled tick found a backup made just before; not a run
    Cancelled,              // the operator stopped it; the files copied so far are whole
};

// What was wrong with the backup drive when a run ended DestinationUnavailable. Runs
// recorded before the difference was kept read back as Unknown.
enum class DestinationFault {
    Unknown,
    Missing,     // the drive is not connected
    NotWritable, // the backup folder cannot be created or written
    FlushFailed, // the copied files could not be written through to the disk
    OtherDrive,  // another drive holds the backup drive's letter, the backup drive none
};

// A file that exists in the source and could not be copied, and why.
struct FileProblem {
    QString path; // the source file, Windows form
    QString reason;
    bool operator==(const FileProblem&) const = default;
};

// A folder below a ticked product that holds files no step of the run copies, with the
// files in it and below it.
struct FolderLeftOut {
    QString path; // Windows form: "c:\Tillora\data\big"
    qint64 files = 0;
    bool operator==(const FolderLeftOut&) const = default;
};

// What the off-site step after a nightly run did (the encrypted copy kept elsewhere).
struct OffsiteSummary {
    enum class Outcome {
        Completed,
        Incomplete,  // a snapshot, but some files could not be read
        Failed,      // no snapshot that night
        CheckFailed, // the snapshot was made; the weekly check or clean-up of old ones failed
        Stopped,     // the upload was ended when the store opened; it goes on the next night
        Skipped,     // the previous night's copy was still running
        DrillFailed, // made and checked, but the weekly restore of a sample failed or differed
    };
    Outcome outcome = Outcome::Completed;
    QDateTime finished;
    qint64 filesNew = 0;
    qint64 filesChanged = 0;
    qint64 filesUnmodified = 0;
    qint64 bytesAdded = 0;
    double seconds = 0;
    QString snapshotId;
    QString reason;             // why it failed or was incomplete, in the tool's own words
    QString errors;             // the rest of what the tool said when it failed, for the history
    bool restoreProven = false; // the weekly restore drill restored its sample as it was
};

// What reading the run's backup copies back found (after the flush that ends copying).
struct VerifySummary {
    qint64 files = 0; // copies read back whole and found as written
    qint64 bytes = 0;
    qint64 damaged = 0; // copies that read back otherwise, each copied again
    int slice = -1;     // the slice of unchanged copies compared with their sources
    bool sliceFinished = false;
    bool fullyReadBack = false; // the slice was the last of its round: all has been read back
    QString endedBecause;       // why reading back stopped before the end (drive gone)
    double writtenSeconds = 0;  // reading back the copies written in the run
    double sliceSeconds = 0;    // comparing the slice

    // Every copy read back was found as written.
    bool allGood() const { return damaged == 0 && endedBecause.isEmpty(); }
};

// What one backup run did, computed once and passed on to the window, the history and
// the alerts. Counts are of files of the directory set.
struct BackupRunResult {
    RunTrigger trigger = RunTrigger::Scheduled;
    RunOutcome outcome = RunOutcome::Completed;
    QDateTime started;
    QDateTime finished;
    QString destinationRoot; // "e:\TLRAbackup\"
    qint64 filesCopied = 0;
    qint64 bytesCopied = 0;
    qint64 filesUnchanged = 0;   // skipped: the backup copy already matches
    qint64 versionsKept = 0;     // earlier copies moved to the dated versions folder
    qint64 versionsPruned = 0;   // dated version folders removed for age or space
    QDate oldestVersion;         // the oldest dated version folder left; invalid for none
    QList<FileProblem> problems; // existing files not copied
    QStringList notes;           // worth a look but not a failure (a product folder missing)
    QList<FolderLeftOut> foldersLeftOut; // also told in the notes
    QString reason;                      // why a run that failed, failed; in the owner's words
    DestinationFault destinationFault = DestinationFault::Unknown;
    std::optional<VerifySummary> verify;   // when the copies were read back
    std::optional<OffsiteSummary> offsite; // filled in when the off-site step has ended

    // A run that did something: every outcome but the two refusals.
    bool isRun() const {
        return outcome != RunOutcome::AlreadyRunning && outcome != RunOutcome::AlreadyDoneToday;
    }
    // Counts as the night's backup: it resets the stale-backup clock and is not made up.
    bool isBackup() const {
        return outcome == RunOutcome::Completed || outcome == RunOutcome::CompletedWithProblems;
    }
};

} // namespace tillora
