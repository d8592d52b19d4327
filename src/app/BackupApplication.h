#pragma once

#include "BackupRunResult.h"
#include "BackupSettingsFile.h"
#include "Clock.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "Prompts.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

namespace tillora {

class BackupEngine;
class BackupScheduler;
class DriveInfoPopup;
class Form1;
class HourlyReportCheck;
class NetReconnect;
class OffsiteSettings;
class OffsiteStep;
class ReportStatusPanel;
class SecretStore;
class TerminationRequests;
class TexterWindows;

// The composition root of tillora-backup: makes the main window and the parts it works
// with, wires them together, runs the start-up sequence and owns the program's end.
class BackupApplication : public QObject {
    Q_OBJECT

public:
    BackupApplication(Platform& platform, Clock& clock, Prompts& prompts,
                      QObject* parent = nullptr);
    ~BackupApplication() override;

    // The start-up sequence; returns once the main window is shown and Timer2 is armed.
    void start();
    // The terminate path (a kill, a logout, the window closed): icon removed, settings
    // saved, then the program ends.
    void terminate();

    Form1& form() { return *form_; }
    ProgramValues& values() { return values_; }
    DriveInfoPopup& driveInfo() { return *driveInfo_; }
    BackupEngine& engine() { return *engine_; }
    BackupScheduler& scheduler() { return *scheduler_; }
    TexterWindows& texting() { return *texting_; }
    HourlyReportCheck& hourlyReport() { return *hourlyReport_; }
    OffsiteStep& offsite() { return *offsite_; }
    // The off-site copy's window, made on first use.
    OffsiteSettings& offsiteWindow();

    // How the program ends; tests replace it. The default closes every window and leaves
    // the main loop, or the process itself when called from inside other work.
    std::function<void()> endProgram;

Q_SIGNALS:
    // Timer2 ticked: the program sits in the notification area.
    void resident();
    // Every backup run's result, as the local run ends.
    void backupResult(const BackupRunResult& result);
    // A nightly run's result again once its off-site copy has ended: the same run (same
    // start time) with `offsite` filled in. The history replaces the night's record with
    // it; its alert is about the off-site copy only, the local run's came before.
    void offsiteResult(const BackupRunResult& result);

private:
    void wire();
    void wireBackup();
    void wireTexting();
    void wireOffsite();
    void backupRunEnded(const BackupRunResult& result);
    void offsiteEnded(const BackupRunResult& result);
    void mobileTextStartupChecks();
    void endProcessNow();

    Platform& platform_;
    Clock& clock_;
    Prompts& prompts_;
    ProgramValues values_;
    BackupSettingsFile settingsFile_;
    std::unique_ptr<Form1> form_;
    DriveInfoPopup* driveInfo_;
    std::unique_ptr<NetReconnect> netReconnect_;
    std::unique_ptr<BackupEngine> engine_;
    std::unique_ptr<SecretStore> secrets_;
    OffsiteStep* offsite_ = nullptr;
    OffsiteSettings* offsiteWindow_ = nullptr;
    BackupScheduler* scheduler_ = nullptr; // Timer1 of the main window
    std::unique_ptr<ReportStatusPanel> statusPanel_;
    std::unique_ptr<TexterWindows> texting_;
    std::unique_ptr<HourlyReportCheck> hourlyReport_;
    TerminationRequests* terminationRequests_;
    bool ending_ = false;
    bool started_ = false; // start() has finished: main() runs the main loop next
};

} // namespace tillora
