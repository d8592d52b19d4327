#pragma once

#include "BackupHistoryLog.h"
#include "BackupRunResult.h"
#include "BackupSetup.h"
#include "CatchUpRule.h"
#include "Clock.h"
#include "DriveReturnWatch.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "Prompts.h"
#include "SalesDaysLog.h"
#include "TexterMailRoute.h"

#include <QObject>
#include <QPointer>

#include <chrono>
#include <functional>
#include <memory>

class QTimer;

namespace tillora {

class BackupAlertService;
class BackupEngine;
class BackupHistory;
class BackupRestore;
class BackupProgressRelay;
class BackupRunner;
class BackupScheduler;
class DaySummaryService;
class DriveInfoPopup;
class Form1;
class HourlyReportCheck;
class MonitorPinger;
class NetReconnect;
class OffsiteSettings;
class OffsiteStep;
class Notifier;
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
    // The installer's request to end: at once when no backup or restore runs, else as soon
    // as they have ended (an off-site copy going on is ended, as at any end).
    void endWhenIdle();
    // How long the installer waits for a backup to end before it gives up.
    static constexpr std::chrono::hours EndWaitLimit{2};

    Form1& form() { return *form_; }
    // The backup settings the window shows and every part reads.
    BackupSetup& setup() { return setup_; }
    ProgramValues& values() { return values_; }
    DriveInfoPopup& driveInfo() { return *driveInfo_; }
    BackupEngine& engine() { return *engine_; }
    // The engine on its own thread: every run of the program goes through it.
    BackupRunner& backupRunner() { return *runner_; }
    BackupScheduler& scheduler() { return *scheduler_; }
    TexterWindows& texting() { return *texting_; }
    HourlyReportCheck& hourlyReport() { return *hourlyReport_; }
    OffsiteStep& offsite() { return *offsite_; }
    // The off-site copy's window, made on first use.
    OffsiteSettings& offsiteWindow();
    // The program's one notifier: every message to the owner goes through it.
    Notifier& notifier();
    // The window "Where reports go", from wherever the program offers it.
    void showDeliverySettings();

    const BackupHistoryLog& history() const { return history_; }
    BackupHistory* historyWindow() const;

    // Every run, whoever starts it (Backup Now, the scheduler, a catch-up), goes through
    // here, so its result reaches the window, the history and the owner. The copying goes
    // on on its own thread; the result comes later, through backupResult.
    void runBackup(RunTrigger trigger);
    // Stops a backup run and waits up to `limit` for it to end; true when none goes on.
    // The program's end calls it before anything the run uses goes away.
    bool stopBackup(std::chrono::milliseconds limit);
    // Opens the history window (the "History" button).
    void showHistory();
    // Opens the restore window (the "Restore" button).
    void showRestore();
    BackupRestore* restoreWindow() const;
    // Tells the owner through `notifier` about runs that fail and backups gone stale.
    // Start-up calls it with the program's notifier once it has read the data folder,
    // where the outbox lives; tests call it again with their own.
    void enableAlerts(Notifier& notifier);
    BackupAlertService* alerts() { return alerts_.get(); }
    // The day summary, sent through the alerts' dispatcher; made with the alerts.
    DaySummaryService* daySummary() { return daySummary_.get(); }
    // The nightly runs' pings to the watcher outside this PC; gone once the program ends.
    MonitorPinger* monitor() { return monitor_.get(); }

    // What the history window's "Delivery..." button opens; the button shows once set.
    std::function<void()> openDeliveryWindow;
    // A scheduled run this soon after a backup has nothing new to copy.
    static constexpr std::chrono::minutes RecentBackup{60};
    // How long after start-up a missed night is made up: the start-up windows are done by
    // then, and a network drive has had time to come up.
    std::chrono::milliseconds catchUpDelay{std::chrono::minutes(2)};

    // How the program ends once everything is saved; tests replace it. The default closes
    // every window and leaves the main loop.
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
    // A line in the history of something the owner did or should know; a history that
    // cannot be written is only logged, as there is nowhere else it could go.
    void noteInHistory(const QString& text);
    void wire();
    void wireBackup();
    void wireTexting();
    void wireOffsite();
    void offsiteEnded(const BackupRunResult& result);
    void copyOffsiteNow();
    void wireCatchUp();
    void finishRun(const BackupRunResult& result);
    void recordHistory(const BackupRunResult& result);
    void keepSalesReading(const SalesReading& reading);
    void showLastRunOfHistory();
    CatchUpRule catchUpRule() const;
    void watchForMissingDrive(const BackupRunResult& result);
    void lookForReturnedDrive(const QDateTime& now, const CatchUpRule& rule);
    bool backedUpJustBefore(const QDateTime& now) const;
    void tellSettingsNotSaved(const QString& title, const QString& text);
    void showUntoldSaveFailure();
    void saveCatchUpOption();
    void forgetBackupDrive();
    void mobileTextStartupChecks();
    void tellFoldersInPlaceOfFiles();
    void endNow();
    void stopBackupWork();
    void endProcessNow();

    Platform& platform_;
    Clock& clock_;
    Prompts& prompts_;
    ProgramValues values_;
    BackupSetup setup_;
    std::unique_ptr<Form1> form_;
    DriveInfoPopup* driveInfo_;
    std::unique_ptr<NetReconnect> netReconnect_;
    BackupProgressRelay* progress_ = nullptr;
    std::unique_ptr<BackupEngine> engine_;
    std::unique_ptr<BackupRunner> runner_;
    std::unique_ptr<SecretStore> secrets_;
    OffsiteStep* offsite_ = nullptr;
    OffsiteSettings* offsiteWindow_ = nullptr;
    bool copyAfterRun_ = false;            // "Copy now" started a backup: the copy follows it
    BackupScheduler* scheduler_ = nullptr; // Timer1 of the main window
    std::unique_ptr<ReportStatusPanel> statusPanel_;
    // The program's one notifier and the mail route it sends through; declared before
    // everything that sends through them, so they outlive it.
    TexterMailRoute mailRoute_;
    ChannelNotifier notifier_;
    std::unique_ptr<TexterWindows> texting_;
    std::unique_ptr<HourlyReportCheck> hourlyReport_;
    TerminationRequests* terminationRequests_;
    BackupHistoryLog history_;
    QPointer<BackupHistory> historyWindow_;
    QPointer<BackupRestore> restoreWindow_;
    // A scheduled or made-up run that came while a restore was going on: it starts when
    // the restore ends.
    std::optional<RunTrigger> runAfterRestore_;
    bool endWhenIdle_ = false; // asked to end once the backup or the restore going on ends
    std::optional<QDateTime> lastBackupEnd_; // of the last run that counts as a backup
    std::optional<QDateTime> lastRunStart_;  // of the last run, whatever came of it
    DriveReturnWatch* driveWatch_ = nullptr;
    // Set while the catch-up asked for by a drive that came back is on its way.
    std::optional<DriveReturnWatch::Drive> returnedDrive_;
    // A failed save of the settings, kept until the window and the icon can show it.
    std::optional<std::pair<QString, QString>> untoldSaveFailure_;
    bool historyFailureTold_ = false;
    QStringList startupNotes_; // for the history, with the first run after start-up
    std::optional<QDateTime> startupNotesRun_;
    QTimer* catchUpTimer_ = nullptr;
    std::unique_ptr<BackupAlertService> alerts_;
    std::unique_ptr<DaySummaryService> daySummary_; // sends through alerts_, so goes before it
    std::unique_ptr<MonitorPinger> monitor_;        // notes into history_, so goes before it
    bool ending_ = false;
    bool started_ = false; // start() has finished: main() runs the main loop next
    bool exitOnceStarted_ = false;
};

} // namespace tillora
