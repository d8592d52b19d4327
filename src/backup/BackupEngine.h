#pragma once

#include "BackupControls.h"
#include "BackupOptions.h"
#include "BackupRunResult.h"
#include "ChunkedFileCopy.h"
#include "DirectorySet.h"

#include <QDate>
#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

namespace tillora {

class Clock;
class Platform;
class Prompts;
struct ProgramValues;

// One backup run of the main window: the overlay, the once-a-day question, the network
// wait, the directory set copied file by file (files unchanged since the last run are
// skipped; a replaced backup file is kept in the dated versions folder), the data
// flushed to the disk, and only then the last date recorded and saved.
class BackupEngine {
public:
    using Trigger = RunTrigger;
    using Outcome = RunOutcome;

    // `reconnect` re-maps the network destination and sets NetConnectStatus.
    BackupEngine(BackupControls& controls, BackupProgressView& view, Platform& platform,
                 const Clock& clock, Prompts& prompts, ProgramValues& values,
                 std::function<void()> reconnect);

    BackupRunResult RunBackup(Trigger trigger = Trigger::Scheduled);
    bool running() const { return running_; }

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
    };
    struct StepVersions;

    bool doneToday() const;
    bool confirmOnceADay(Trigger trigger);
    bool confirmSameDrive(Trigger trigger);
    bool reconnectNetworkDrive();
    bool driveConnected(const QString& selectorText, RunOutcome failure, BackupRunResult& result);
    void noteRefusedFolderNames(BackupRunResult& result) const;
    bool prepareDestinationRoot(const QString& root);
    void beginCopying(const QString& root);
    void copyDirectorySet(BackupRunResult& result);
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
    void recordLastDate();
    void keepWindowAlive();
    void processEventsNow();

    SafeFolderControls safeControls_; // what the run reads: unsafe folder names switched off
    BackupControls& controls_;
    BackupProgressView& view_;
    Platform& platform_;
    const Clock& clock_;
    Prompts& prompts_;
    ProgramValues& values_;
    std::function<void()> reconnect_;
    BackupPaths paths_;
    std::chrono::milliseconds networkWaitLimit_{std::chrono::minutes(2)};
    bool running_ = false;
    QElapsedTimer sinceEvents_;
    RunState run_;
    std::function<void(CopyStage)> copyObserver_;
};

} // namespace tillora
