#pragma once

#include "BackupControls.h"
#include "BackupRunResult.h"
#include "DirectorySet.h"

#include <QElapsedTimer>
#include <QString>

#include <chrono>
#include <functional>

namespace tillora {

class Clock;
class Platform;
class Prompts;
struct ProgramValues;

// One backup run of the main window: the overlay, the once-a-day question, the network
// wait, the directory set copied file by file, and the last date recorded and saved.
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

private:
    bool doneToday() const;
    bool confirmOnceADay(Trigger trigger);
    bool confirmSameDrive(Trigger trigger);
    bool reconnectNetworkDrive();
    bool driveConnected(const QString& selectorText, RunOutcome failure, BackupRunResult& result);
    void noteRefusedFolderNames(BackupRunResult& result) const;
    bool prepareDestinationRoot(const QString& root);
    void copyDirectorySet();
    void copyStep(const QString& source, const QString& destination);
    void CopyFolderFiles(const QString& source, const QString& destination);
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
};

} // namespace tillora
