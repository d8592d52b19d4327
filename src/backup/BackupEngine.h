#pragma once

#include "BackupOptions.h"
#include "BackupProgressView.h"
#include "BackupRunResult.h"
#include "ChunkedFileCopy.h"
#include "DirectorySet.h"
#include "NetReconnect.h"
#include "ProgramValues.h"
#include "ReadBackCheck.h"

#include <QDate>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>

namespace tillora {

class Clock;
class InstanceLock;
class Platform;
class Prompts;

// Where a run on another thread asks for the network re-mapping, which shows a window and
// so runs on the engine's own thread.
class RemapRequests : public QObject {
    Q_OBJECT
Q_SIGNALS:
    void requested();
};

// One backup run: the overlay, the once-a-day question, the network wait, the directory
// set copied file by file (files unchanged since the last run are skipped; a replaced
// backup file is kept in the dated versions folder), the data flushed to the disk, and
// only then the last date recorded and saved.
//
// A run has two halves: prepare() on the window's thread (the refusals, the operator's
// questions, a copy of the program values) and runPrepared(), which may run on a thread
// of its own: from there it reads the settings only as copies, reports through the view,
// and asks the window's thread for the network re-mapping.
class BackupEngine {
public:
    using Trigger = RunTrigger;
    using Outcome = RunOutcome;

    // `reconnect` re-maps the network destination; it is called on the thread that made
    // the engine.
    BackupEngine(BackupSetupAccess& setup, BackupProgressView& view, Platform& platform,
                 const Clock& clock, Prompts& prompts, const ProgramValues& values,
                 std::function<NetConnectResult()> reconnect);

    // Both halves on the calling thread.
    BackupRunResult RunBackup(Trigger trigger = Trigger::Scheduled);
    // The result when the run ends before copying (refused or declined); nothing when
    // runPrepared() is to follow.
    std::optional<BackupRunResult> prepare(Trigger trigger);
    BackupRunResult runPrepared();
    // A refusal without a run, as for a second start while one runs.
    BackupRunResult refusal(Trigger trigger, Outcome outcome) const;

    bool running() const { return running_; }
    // Stops the run between two files or two chunks of a file; the file being written is
    // left as it was before. Safe from any thread.
    void cancel() { cancelled_ = true; }

    // How long a run waits for the re-mapping to report before counting it as failed.
    void setNetworkWaitLimit(std::chrono::milliseconds limit) { networkWaitLimit_ = limit; }

    // Told at each stage of replacing a backup file (tests that interrupt a run).
    void setCopyObserver(std::function<void(CopyStage)> observer) {
        copyObserver_ = std::move(observer);
    }

private:
    // What one run works with beyond the controls: the options read at its start, its
    // day, the drives it wrote to, and the free space of the current step's drive as
    // last known.
    struct RunState {
        BackupOptions options;
        QDate day;
        QStringList drives;  // "e:"
        QString destination; // the current step's backup folder
        std::optional<qint64> roomLeft;
        bool roomUnknown = false;
        qint64 changedWhileCopied = 0;           // files copied again at the next run
        bool damagedCopiesRemoved = false;       // the first room made this run
        std::unique_ptr<ReadBackCheck> readBack; // the copies to read back after the flush
        int readBackFolder = -1;                 // the current step's folder there
    };
    struct StepVersions;
    // The backup drive found at another letter than the settings give (the drive text).
    struct DriveMove {
        QString from;   // "e:"
        QString toText; // "f: [BACKUP]"
    };

    bool doneToday() const;
    bool confirmOnceADay(Trigger trigger);
    bool confirmSameDrive(Trigger trigger);
    BackupRunResult copyRun();
    bool reconnectNetworkDrive();
    void takeSetup();
    std::unique_ptr<InstanceLock> claimMachineRun(BackupRunResult& result);
    bool findBackupDrive(BackupRunResult& result);
    void keepDriveIdentity(BackupRunResult& result);
    void answerRemap();
    bool isCancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    bool driveConnected(const QString& selectorText, RunOutcome failure, BackupRunResult& result);
    void noteRefusedFolderNames(BackupRunResult& result) const;
    bool prepareDestinationRoot(const QString& root);
    void beginCopying(const QString& root);
    void copyDirectorySet(BackupRunResult& result);
    void copyOrNoteOtherFolders(int row, BackupRunResult& result);
    void noteWhatWasNotWhole(BackupRunResult& result) const;
    void copyStep(const QString& source, const QString& destination, BackupRunResult& result);
    void CopyFolderFiles(const QString& source, const QString& destination,
                         BackupRunResult& result);
    // A file by its full path, with what a look at it found.
    struct FileAt {
        std::filesystem::path path;
        FileFacts facts;
    };
    bool copyOneFile(ChunkedFileCopy& copier, const QString& sourceFolder,
                     const std::filesystem::path& name, const FileAt& source, const FileAt& target,
                     StepVersions& versions, BackupRunResult& result);
    void makeRoomFor(qint64 bytes, BackupRunResult& result);
    void pruneVersions(BackupRunResult& result);
    bool flushDestination(BackupRunResult& result);
    // Defined in BackupEngineReadBack.cpp.
    bool verifyCopies(BackupRunResult& result);
    std::optional<ReadBackCheck::Copy> copyAgain(ChunkedFileCopy& copier,
                                                 const ReadBackCheck::Copy& copy, bool damaged,
                                                 BackupRunResult& result);
    void moveVerifyPosition(const ReadBackCheck::Findings& findings, VerifySummary& verify,
                            BackupRunResult& result);
    void recordLastDate();
    void showProgress(qint64 done);

    BackupSetupAccess& setup_;
    BackupProgressView& view_;
    Platform& platform_;
    const Clock& clock_;
    Prompts& prompts_;
    const ProgramValues& liveValues_;
    std::function<NetConnectResult()> reconnect_;
    RemapRequests remaps_; // on the engine's own thread
    std::mutex remapLock_;
    std::shared_ptr<std::promise<NetConnectResult>> pendingRemap_;
    std::chrono::milliseconds networkWaitLimit_{std::chrono::minutes(2)};
    std::atomic<bool> running_{false};
    std::atomic<bool> cancelled_{false};
    Trigger trigger_ = Trigger::Scheduled;
    ProgramValues values_; // copied when the run is prepared
    // The settings as the current step follows them (unsafe folder names switched off),
    // and as they were read, for the notes about refused names.
    BackupSetupSnapshot setupNow_;
    BackupSetupSnapshot setupAsRead_;
    // The bar of the current step: its bytes and the unit that fits them in an int.
    qint64 stepUnit_ = 1;
    qint64 stepDone_ = 0;
    int shownValue_ = -1;
    RunState run_;
    std::optional<DriveMove> driveMove_;
    std::optional<BackupDriveIdentity> driveToKeep_; // kept in BackupOptions.ini when done
    std::function<void(CopyStage)> copyObserver_;
};

} // namespace tillora
