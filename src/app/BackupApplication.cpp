#include "BackupApplication.h"

#include "AlertsSection.h"
#include "AppAlertSources.h"
#include "AppSummarySources.h"
#include "BackupAlertService.h"
#include "BackupEngine.h"
#include "BackupHistory.h"
#include "BackupOptions.h"
#include "BackupProgressRelay.h"
#include "BackupRestore.h"
#include "BackupRunner.h"
#include "BackupScheduler.h"
#include "CarrierFile.h"
#include "DataFiles.h"
#include "DatePictures.h"
#include "DaySummaryService.h"
#include "DriveInfo.h"
#include "Form1.h"
#include "HourlyReportCheck.h"
#include "MonitorPinger.h"
#include "MonitorSection.h"
#include "NetReconnect.h"
#include "NotifySettings.h"
#include "OffsiteSettings.h"
#include "OffsiteStep.h"
#include "Outbox.h"
#include "ReportCycle.h"
#include "ReportWindowOpening.h"
#include "RunSummary.h"
#include "SalesDaysLog.h"
#include "SecretStore.h"
#include "SummarySection.h"
#include "TLRAconnect.h"
#include "TerminationRequests.h"
#include "TextSettingsFile.h"
#include "TexterWindows.h"
#include "TilloraBackup3.h"
#include "TimeOfDay.h"
#include "TrayIcon.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <QApplication>
#include <QCalendarWidget>
#include <QDir>
#include <QFileInfo>

namespace tillora {

namespace {

// The report cycle writes the main window's status line SSPanel6 and shows the window.
class MainWindowStatus final : public ReportStatusPanel {
public:
    explicit MainWindowStatus(Form1& form)
        : form_(form) {}

    void showReportStatus(const QString& caption, unsigned int textColour, int style) override {
        form_.setStatusLine(caption, textColour, style != 0);
    }
    void setReportCaption(const QString& caption) override { form_.setStatusCaption(caption); }
    void showMainWindow() override { form_.showMainWindow(); }

private:
    Form1& form_;
};

} // namespace

BackupApplication::BackupApplication(Platform& platform, Clock& clock, Prompts& prompts,
                                     QObject* parent)
    : QObject(parent)
    , endProgram([this] { endProcessNow(); })
    , platform_(platform)
    , clock_(clock)
    , prompts_(prompts)
    , setup_(platform, prompts, values_)
    , form_(std::make_unique<Form1>(platform, prompts, setup_))
    , driveInfo_(new DriveInfoPopup(platform, this))
    , mailRoute_(platform, values_)
    , notifier_(platform, values_, mailRoute_, SecretStore(platform.userSettingsFolder()))
    , terminationRequests_(new TerminationRequests(this))
    , history_(platform, values_) {
    wire();
}

// The members go in the reverse order of their declaration: whatever sends or reports
// goes before what it sends or reports through.
BackupApplication::~BackupApplication() = default;

void BackupApplication::wire() {
    Form1* form = form_.get();
    connect(form, &Form1::destinationDriveChanged, driveInfo_, &DriveInfoPopup::popUp);
    connect(form, &Form1::destinationDriveChosen, this, &BackupApplication::forgetBackupDrive);
    connect(form, &Form1::settled, this, [this] {
        // A pop-up of start-up keeps its seconds; it hides by its own timer.
        if (!driveInfo_->showingFigures())
            driveInfo_->hideWindow();
        qInfo("tillora-backup: resident (%s)", form_->notificationAreaAvailable()
                                                   ? "icon in the notification area"
                                                   : "minimised: no notification area");
        Q_EMIT resident();
    });
    connect(form, &Form1::endRequested, this, &BackupApplication::endNow);
    connect(terminationRequests_, &TerminationRequests::requested, this,
            &BackupApplication::terminate);
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // A logout: save before the session ends the process.
        connect(gui, &QGuiApplication::commitDataRequest, this, [this] { form_->Terminate(); });
        connect(gui, &QCoreApplication::aboutToQuit, this, [this] { form_->Terminate(); });
    }

    // The off-site copy's password and the monitor's ping URL: one store for both.
    secrets_ = std::make_unique<SecretStore>(platform_.userSettingsFolder());
    wireBackup();
    wireTexting();
    wireOffsite();
    wireCatchUp();
}

void BackupApplication::wireBackup() {
    Form1* form = form_.get();
    netReconnect_ =
        std::make_unique<NetReconnect>(setup_, platform_, [form] { return openTLRAconnect(form); });
    // A failed save is told without blocking: a run may be at night, start-up must reach
    // the scheduler, and a shutdown must end the program.
    setup_.setSaveFailureNotice(
        [this](const QString& title, const QString& text) { tellSettingsNotSaved(title, text); });
    progress_ = new BackupProgressRelay(this);
    connect(progress_, &BackupProgressRelay::busyChanged, form, &Form1::showBusy);
    connect(progress_, &BackupProgressRelay::stepStarted, form, &Form1::showStep);
    connect(progress_, &BackupProgressRelay::progressMaximum, form, &Form1::setProgressMaximum);
    connect(progress_, &BackupProgressRelay::progressValue, form, &Form1::setProgressValue);
    connect(progress_, &BackupProgressRelay::failed, form, &Form1::announceFailure);
    engine_ = std::make_unique<BackupEngine>(setup_, *progress_, platform_, clock_, prompts_,
                                             values_, [this] { return netReconnect_->run(); });
    runner_ = std::make_unique<BackupRunner>(*engine_);
    connect(runner_.get(), &BackupRunner::finished, this, &BackupApplication::finishRun);
    connect(form, &Form1::cancelRequested, runner_.get(), &BackupRunner::cancel);
    connect(form->SSCommand3, &QPushButton::clicked, this,
            [this] { runBackup(RunTrigger::BackupNow); });
    connect(form->HistoryButton, &QPushButton::clicked, this, &BackupApplication::showHistory);
    connect(form->RestoreButton, &QPushButton::clicked, this, &BackupApplication::showRestore);
    connect(form->Command1, &QPushButton::clicked, this, [this] { netReconnect_->run(); });

    scheduler_ = new BackupScheduler(
        clock_, [this] { return setup_.snapshot().startTime(); },
        [this] { runBackup(RunTrigger::Scheduled); }, this);

    // The URL is read at each ping: the owner may change it in the delivery window.
    monitor_ = std::make_unique<MonitorPinger>(
        [this] { return secrets_->value(MonitorPingUrlKey); },
        [this](const QString& text) {
            if (const SaveResult noted = history_.recordNote(clock_.now(), text); !noted)
                qWarning("tillora-backup: the history could not note a monitor ping: %s",
                         qPrintable(noted.reason));
        });
}

void BackupApplication::wireTexting() {
    Form1* form = form_.get();
    statusPanel_ = std::make_unique<MainWindowStatus>(*form);
    texting_ = std::make_unique<TexterWindows>(platform_, values_, clock_, prompts_, *statusPanel_,
                                               mailRoute_, notifier_);
    connect(form->SSCommand5, &QPushButton::clicked, this, [this] { texting_->showSettings(); });
    connect(form->SSCommand6, &QPushButton::clicked, this, [this] { texting_->showMailWindow(); });
    connect(texting_.get(), &TexterWindows::settingsDone, this, [form](bool featureOn) {
        form->setSettingsButtonColour(settingsButtonColour(featureOn));
        form->showMainWindow();
    });

    // The scheduler's ticks without a backup run the hourly report check.
    hourlyReport_ = std::make_unique<HourlyReportCheck>(
        *texting_, *statusPanel_, clock_, [this](TexterView&) { texting_->Work_it(); });
    scheduler_->setHourlyReportCheck([this](const QString& now) { hourlyReport_->run(now); });
    // Each report's totals are kept: the day summary compares with them next week.
    texting_->setReadingKeeper([this](const SalesReading& reading) { keepSalesReading(reading); });
    // The history window's "Delivery..." opens the same window as the texter's "Delivery".
    openDeliveryWindow = [this] { showDeliverySettings(); };
    // The delivery window shows the backup alerts' settings and test button too.
    texting_->setDeliverySections([this](NotifySettings& window) {
        if (alerts_) {
            auto* section = new AlertsSection(platform_, values_, *alerts_);
            window.addSection(section, [section] { return section->save(); });
        }
        if (daySummary_) {
            auto* summary = new SummarySection(platform_, values_, *daySummary_);
            window.addSection(
                summary, [summary] { return summary->save(); },
                [summary] { return summary->problem(); });
        }
        auto* monitor = new MonitorSection(*secrets_);
        window.addSection(
            monitor, [monitor] { return monitor->save(); },
            [monitor] { return monitor->problem(); });
    });
}

Notifier& BackupApplication::notifier() {
    return notifier_;
}

void BackupApplication::showDeliverySettings() {
    texting_->showDeliverySettings();
}

void BackupApplication::wireOffsite() {
    Form1* form = form_.get();
    offsite_ = new OffsiteStep(setup_, platform_, clock_, values_, *secrets_, this);
    offsite_->setStoreOpening(std::make_unique<ReportWindowOpening>(platform_, values_));
    connect(offsite_, &OffsiteStep::started, form, [form] { form->showOffsiteProgress(0); });
    connect(offsite_, &OffsiteStep::progress, form, [form](const ResticProgress& now) {
        form->showOffsiteProgress(int(now.fraction * 100));
    });
    connect(offsite_, &OffsiteStep::finished, this, &BackupApplication::offsiteEnded);
    connect(form->SSCommand7, &QPushButton::clicked, this,
            [this] { offsiteWindow().showWindow(); });
}

OffsiteSettings& BackupApplication::offsiteWindow() {
    if (!offsiteWindow_) {
        offsiteWindow_ =
            new OffsiteSettings(setup_, platform_, values_, prompts_, *secrets_, form_.get());
        // restic lists no sizes; our own history knows the nights we copied.
        offsiteWindow_->historyOf =
            [this](const QString& shortId) -> std::optional<OffsiteSummary> {
            for (const HistoryEntry& entry : history_.runs()) {
                if (entry.run.offsite && !shortId.isEmpty() &&
                    entry.run.offsite->snapshotId == shortId)
                    return entry.run.offsite;
            }
            return std::nullopt;
        };
        connect(offsiteWindow_, &OffsiteSettings::copyNowRequested, this,
                &BackupApplication::copyOffsiteNow);
        connect(offsite_, &OffsiteStep::started, offsiteWindow_, &OffsiteSettings::copyStarted);
        connect(offsite_, &OffsiteStep::finished, offsiteWindow_,
                [window = offsiteWindow_](const BackupRunResult& result) {
                    window->copyEnded(*result.offsite);
                });
    }
    return *offsiteWindow_;
}

// "Copy now": today's backup is copied elsewhere at once, its record in the history then
// carrying the copy as a night's does. A day without a backup (or one whose files not
// copied are no longer all listed, which its record would lose) gets a backup of its own
// first, which the copy follows.
void BackupApplication::copyOffsiteNow() {
    if (offsite_->running())
        return offsiteWindow().copyStarted();
    const QList<HistoryEntry> runs = history_.runs();
    for (auto entry = runs.rbegin(); entry != runs.rend(); ++entry) {
        if (!entry->run.isBackup() || entry->run.started.date() != clock_.now().date())
            continue;
        const auto problems = entry->filesNotCopied > 0 ? history_.problemsOf(entry->run.started)
                                                        : QList<FileProblem>();
        if (!problems || problems->size() != entry->filesNotCopied)
            break;
        BackupRunResult run = entry->run;
        run.problems = *problems;
        run.offsite.reset();
        return offsite_->start(run);
    }
    copyAfterRun_ = true;
    runBackup(RunTrigger::BackupNow);
}

void BackupApplication::offsiteEnded(const BackupRunResult& result) {
    if (!offsite_->running())
        form_->showOffsiteProgress(std::nullopt);
    // The night's record gets the copy's summary: same start time, so it is replaced.
    recordHistory(result);
    const RunSummary summary = summarize(result);
    form_->showLastRun(summary.lines, summary.attention);
    if (offsiteNeedsAttention(result.offsite->outcome))
        form_->announceRun(offsiteHeadline(result.offsite->outcome), result.offsite->reason, true);
    if (alerts_)
        alerts_->offsiteFinished(result);
    Q_EMIT offsiteResult(result);
}

void BackupApplication::wireCatchUp() {
    // Made up once, a while after start-up, when the PC was off at the backup minute.
    catchUpTimer_ = new QTimer(this);
    catchUpTimer_->setSingleShot(true);
    connect(catchUpTimer_, &QTimer::timeout, this, [this] {
        if (setup_.snapshot().catchUpMissedRun && catchUpRule().missedAtStart(clock_.now()))
            runBackup(RunTrigger::CatchUp);
    });
    // Made up at once when the minute passed between two ticks (sleep, a clock jump, a tick
    // held by other work), but after the tick has ended and the scheduler is re-armed.
    driveWatch_ = new DriveReturnWatch(platform_, this);
    scheduler_->setTickObserver([this](const QDateTime& previous, const QDateTime& now) {
        if (!setup_.snapshot().catchUpMissedRun)
            return;
        const CatchUpRule rule = catchUpRule();
        if (rule.missedBetweenTicks(previous, now))
            QTimer::singleShot(0, this, [this] { runBackup(RunTrigger::CatchUp); });
        else
            lookForReturnedDrive(now, rule);
    });
    connect(form_->CatchUpBox, &QCheckBox::clicked, this, &BackupApplication::saveCatchUpOption);
}

CatchUpRule BackupApplication::catchUpRule() const {
    const BackupSetupSnapshot now = setup_.snapshot();
    return {parseTimeOfDay(now.startTime()),
            {lastBackupEnd_, parseShortDate(now.lastBackupText())},
            lastRunStart_,
            parseTimeOfDay(now.catchUpUntil)};
}

// A night that failed for a missing drive is made up the same day once the drive is back;
// a backup, whoever made it, ends the watch.
void BackupApplication::watchForMissingDrive(const BackupRunResult& result) {
    if (result.isBackup()) {
        driveWatch_->stop();
        return;
    }
    if (result.trigger == RunTrigger::BackupNow)
        return;
    if (const auto due = catchUpRule().latestDue(result.started))
        driveWatch_->follow(result, setup_.snapshot(), *due);
    else
        driveWatch_->stop();
}

// Once, by itself, the same day and within the owner's hours: after that the next night's
// run takes over, and a drive that never comes back is left to the stale-backup warning.
void BackupApplication::lookForReturnedDrive(const QDateTime& now, const CatchUpRule& rule) {
    if (!driveWatch_->watching())
        return;
    if (now.date() != driveWatch_->failedOn() || !rule.inCatchUpTime(driveWatch_->night(), now)) {
        driveWatch_->stop();
        return;
    }
    if (runner_->running() || !driveWatch_->driveIsBack())
        return;
    driveWatch_->stop();
    returnedDrive_ = driveWatch_->drive();
    QTimer::singleShot(0, this, [this] { runBackup(RunTrigger::CatchUp); });
}

bool BackupApplication::backedUpJustBefore(const QDateTime& now) const {
    if (!lastBackupEnd_)
        return false;
    const qint64 seconds = lastBackupEnd_->secsTo(now);
    return seconds >= 0 && seconds <= std::chrono::seconds(RecentBackup).count();
}

// Told without a box that waits, in the notification area, on the result line and in the
// history; at start-up once the icon and the line are there.
void BackupApplication::tellSettingsNotSaved(const QString& title, const QString& text) {
    qWarning("tillora-backup: %s", qPrintable(text));
    if (const SaveResult noted = history_.recordNote(clock_.now(), text); !noted)
        qWarning("tillora-backup: nor could the history note it: %s", qPrintable(noted.reason));
    untoldSaveFailure_ = {title, text};
    if (started_)
        showUntoldSaveFailure();
}

void BackupApplication::showUntoldSaveFailure() {
    if (const auto untold = std::exchange(untoldSaveFailure_, std::nullopt)) {
        form_->announceFailure(untold->first, untold->second);
        form_->showLastRun(untold->first + QStringLiteral(": ") + untold->second, true);
    }
}

// The drive the owner picks is the backup drive from now on, whatever volume the last run
// found at its letter: how a new backup drive takes the place of the old one.
void BackupApplication::forgetBackupDrive() {
    if (loadDriveIdentity(platform_, values_) == BackupDriveIdentity{})
        return;
    if (const SaveResult saved = saveDriveIdentity(platform_, values_, {}); !saved) {
        prompts_.notify(
            {PromptIcon::Critical, PromptButtons::Ok, QStringLiteral("Options not saved"),
             QStringLiteral("The backup options could not be saved: %1").arg(saved.reason),
             PromptAnswer::Ok});
    }
}

// The window has put the box's state into the model already.
void BackupApplication::saveCatchUpOption() {
    if (const SaveResult saved = setup_.saveCatchUpOption(); !saved) {
        prompts_.notify(
            {PromptIcon::Critical, PromptButtons::Ok, QStringLiteral("Options not saved"),
             QStringLiteral("The backup options could not be saved: %1").arg(saved.reason),
             PromptAnswer::Ok});
    }
}

void BackupApplication::runBackup(RunTrigger trigger) {
    // A restore is putting files back into the store's folders, which a run would copy
    // half restored: the night's run waits for it, and Backup Now is told to.
    if (restoreWindow_ && restoreWindow_->restoring()) {
        if (trigger == RunTrigger::BackupNow) {
            copyAfterRun_ = false;
            form_->announceRun(QStringLiteral("Backup Now"),
                               QStringLiteral("A restore is going on: back up when it has ended."),
                               true);
        } else if (!runAfterRestore_) {
            runAfterRestore_ = trigger;
            noteInHistory(QStringLiteral("The backup waits for the restore going on to end."));
        }
        return;
    }
    // The night's run is skipped only right after a backup: one made during the day
    // leaves the evening's sales to it, and unchanged files cost it little.
    if (trigger == RunTrigger::Scheduled && backedUpJustBefore(clock_.now())) {
        finishRun(engine_->refusal(trigger, RunOutcome::AlreadyDoneToday));
        return;
    }
    if (monitor_ && !runner_->running())
        monitor_->runStarting(trigger);
    runner_->start(trigger);
}

bool BackupApplication::stopBackup(std::chrono::milliseconds limit) {
    return runner_->cancelAndWait(limit);
}

void BackupApplication::finishRun(const BackupRunResult& result) {
    const auto returned = result.trigger == RunTrigger::CatchUp
                              ? std::exchange(returnedDrive_, std::nullopt)
                              : std::nullopt;
    const RunSummary summary = summarize(result);
    if (result.isRun()) {
        recordHistory(result);
        form_->showLastRun(summary.lines, summary.attention);
    }
    if (result.trigger == RunTrigger::BackupNow)
        form_->announceRun(QStringLiteral("Backup Now"), summary.line, summary.attention);
    if (monitor_)
        monitor_->runFinished(result);
    if (alerts_) {
        alerts_->runFinished(result);
        if (returned)
            alerts_->driveReturned(result, *returned);
    }
    // The run made up for a returned drive is the night's last try.
    if (!returned && result.isRun())
        watchForMissingDrive(result);
    Q_EMIT backupResult(result);
    if (endWhenIdle_)
        return endWhenIdle();
    // The copy elsewhere runs beside the event loop: the tick that started the backup
    // ends now, and the first upload of hours holds neither the next tick nor the window.
    if (offsite_->follows(result, std::exchange(copyAfterRun_, false)))
        offsite_->start(result);
}

void BackupApplication::enableAlerts(Notifier& notifier) {
    // The outbox is the program's state, kept off the data drive whose failure it may
    // report; earlier versions kept it in the data folder.
    const QString outbox = UserFiles::outbox(platform_);
    moveOutboxFile(platform_.nativePath(DataFiles::path(values_.DataDIR, DataFile::Outbox)),
                   outbox);
    auto sources = std::make_unique<AppAlertSources>(platform_, values_, setup_, history_);
    daySummary_.reset(); // sends through the alerts' dispatcher
    alerts_ = std::make_unique<BackupAlertService>(std::move(sources), notifier, clock_, outbox);
    alerts_->start();
    daySummary_ = std::make_unique<DaySummaryService>(
        std::make_unique<AppSummarySources>(platform_, values_, clock_, history_, notifier),
        [this] {
            const auto texts = loadTextSettings(platform_, values_);
            return std::pair{DaySummarySettings::load(platform_, values_),
                             texts && texts->lastReportTime ? *texts->lastReportTime : QString()};
        },
        [this](const SalesReading& reading) { keepSalesReading(reading); }, alerts_->dispatcher(),
        clock_, UserFiles::daySummaryMark(platform_));
    daySummary_->start();
}

// May run on the day summary's worker: the log serialises its writers. A reading that
// could not be kept is told in the history, which only the window's thread writes.
void BackupApplication::keepSalesReading(const SalesReading& reading) {
    const SaveResult kept = SalesDaysLog(platform_, values_).record(reading);
    if (kept)
        return;
    const QString text = QStringLiteral("The day's totals could not be kept in SalesDays.log, so "
                                        "the day summary may compare with less: %1")
                             .arg(kept.reason);
    QMetaObject::invokeMethod(this, [this, text] {
        if (const SaveResult noted = history_.recordNote(clock_.now(), text); !noted)
            qWarning("tillora-backup: %s; nor could the history note it: %s", qPrintable(text),
                     qPrintable(noted.reason));
    });
}

void BackupApplication::recordHistory(const BackupRunResult& result) {
    if (result.isBackup())
        lastBackupEnd_ = result.finished;
    if (!lastRunStart_ || result.started > *lastRunStart_)
        lastRunStart_ = result.started;
    // Start-up's notes go with the first run recorded after it, and with its later records
    // (the off-site copy's).
    BackupRunResult noted = result;
    if (!startupNotes_.isEmpty() && !startupNotesRun_)
        startupNotesRun_ = result.started;
    if (startupNotesRun_ == result.started)
        noted.notes += startupNotes_;
    const SaveResult saved = history_.record(noted);
    if (historyWindow_)
        historyWindow_->reload();
    // The run counts whatever happens to its line. A full disk fails every night the same
    // way, so the owner is told once, until a line is written again.
    if (saved) {
        historyFailureTold_ = false;
        return;
    }
    qWarning("tillora-backup: the backup history was not written: %s", qPrintable(saved.reason));
    if (!historyFailureTold_) {
        historyFailureTold_ = true;
        form_->announceRun(
            QStringLiteral("Backup history not saved"),
            QStringLiteral("The backup ran, but its history could not be written: %1")
                .arg(saved.reason),
            true);
    }
}

void BackupApplication::showLastRunOfHistory() {
    const QList<HistoryEntry> runs = history_.runs();
    const auto newest = std::max_element(
        runs.begin(), runs.end(),
        [](const HistoryEntry& a, const HistoryEntry& b) { return a.run.started < b.run.started; });
    if (newest != runs.end()) {
        const RunSummary summary = summarize(newest->run, newest->filesNotCopied);
        form_->showLastRun(summary.lines, summary.attention);
        lastRunStart_ = newest->run.started;
        // A night that failed for a missing drive before a restart is still made up.
        watchForMissingDrive(newest->run);
    }
    lastBackupEnd_ = history_.lastBackupEnd();
}

BackupHistory* BackupApplication::historyWindow() const {
    return historyWindow_;
}

void BackupApplication::noteInHistory(const QString& text) {
    if (const SaveResult noted = history_.recordNote(clock_.now(), text); !noted)
        qWarning("tillora-backup: %s; the history could not note it: %s", qPrintable(text),
                 qPrintable(noted.reason));
}

BackupRestore* BackupApplication::restoreWindow() const {
    return restoreWindow_;
}

void BackupApplication::showRestore() {
    if (!restoreWindow_) {
        restoreWindow_ =
            new BackupRestore(platform_, prompts_, clock_, setup_, values_, form_.get());
        restoreWindow_->setBackupRunning([this] { return runner_->running(); });
        connect(restoreWindow_, &BackupRestore::restoreFinished, this,
                [this](const RestoreReport& report) {
                    noteInHistory(restoreInWords(report));
                    if (endWhenIdle_)
                        return endWhenIdle();
                    if (const auto trigger = std::exchange(runAfterRestore_, std::nullopt))
                        runBackup(*trigger);
                });
    } else {
        restoreWindow_->reload();
    }
    restoreWindow_->show();
    restoreWindow_->raise();
    restoreWindow_->activateWindow();
}

void BackupApplication::showHistory() {
    if (!historyWindow_) {
        historyWindow_ = new BackupHistory(history_, clock_, form_.get());
        if (openDeliveryWindow)
            historyWindow_->setDeliveryAction(openDeliveryWindow);
    } else {
        historyWindow_->reload();
    }
    historyWindow_->show();
    historyWindow_->raise();
    historyWindow_->activateWindow();
}

// A folder where one of the program's files belongs makes every save of it fail quietly:
// told once at start-up, without waiting for anyone.
void BackupApplication::tellFoldersInPlaceOfFiles() {
    QStringList folders;
    for (const DataFile file :
         {DataFile::Notify, DataFile::BackupHistory, DataFile::BackupOptions}) {
        const QString path = DataFiles::path(values_.DataDIR, file);
        if (QFileInfo(platform_.nativePath(path)).isDir())
            folders.append(path);
    }
    if (const QString outbox = UserFiles::outbox(platform_); QFileInfo(outbox).isDir())
        folders.append(QDir::toNativeSeparators(outbox));
    if (folders.isEmpty())
        return;
    const QString text =
        QStringLiteral("%1 is a folder, not a file: the alerts, history or options kept there "
                       "cannot be saved until it is removed or renamed.")
            .arg(folders.join(QStringLiteral(", ")));
    form_->announceRun(QStringLiteral("Settings file is a folder"), text, true);
    form_->showLastRun(text, true);
}

void BackupApplication::mobileTextStartupChecks() {
    form_->setSettingsButtonColour(
        settingsButtonColour(textSettingsFileExists(platform_, values_)));
    // The mail password of an earlier version leaves the data folder, which goes to the
    // backup drive; the owner need do nothing, so the history alone notes it.
    if (const auto moved = moveMailPasswordToSecrets(platform_, values_); moved && *moved)
        startupNotes_.append(QStringLiteral(
            "The mail password was moved from MobileText.dat to this user's secrets.ini."));
    else if (moved)
        qWarning("tillora-backup: the mail password stays in MobileText.dat: %s",
                 qPrintable(moved->reason));
    // At start-up nobody may be there: told in the notification area, nothing waits.
    if (const SaveResult saved = ensureCarrierFile(platform_, values_); !saved)
        form_->announceRun(
            QStringLiteral("Carrier list not saved"),
            QStringLiteral("The list of phone carriers could not be written: %1").arg(saved.reason),
            true);
}

void BackupApplication::start() {
    Form1& form = *form_;
    form.hide();
    auto splash = std::make_unique<TilloraBackup3>();
    splash->show();
    driveInfo_->keepClearOf(splash.get());

    form.FillTimeLists();
    if (readPosSettings(platform_, values_) == PosSettingsFile::Damaged)
        prompts_.notify({PromptIcon::Warning, PromptButtons::Ok,
                         QStringLiteral("Config file Damaged"), damagedPosSettingsMessage(),
                         PromptAnswer::Ok});
    setup_.load();
    enableAlerts(notifier());
    showLastRunOfHistory();
    form.ShowBackupStatus();
    form.AddTrayIcon();
    showUntoldSaveFailure();
    tellFoldersInPlaceOfFiles();
    form.showMainWindow();
    splash.reset();
    form.MonthView1->setSelectedDate(clock_.now().date());
    mobileTextStartupChecks();
    form.armResidentTimer();
    scheduler_->start();
    catchUpTimer_->start(catchUpDelay);
    started_ = true;
    if (exitOnceStarted_) // queued: runs as the main loop's first event
        QMetaObject::invokeMethod(
            this, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

// "End" and a termination request end here, within 5 s whatever is in flight: sends give
// up at once (an alert cut short stays in the outbox for the next start), the backup work
// stops, and the outbox has its last word before the program leaves.
void BackupApplication::endNow() {
    if (ending_)
        return;
    ending_ = true;
    if (texting_)
        texting_->cancelSends();
    offsite_->stop();
    stopBackupWork();
    // The settings are saved once the backup can change them no more ("End" has saved
    // them already; a second save does nothing).
    form_->Terminate();
    // Waits for the alert under way, cut short a moment ago, and writes what it did.
    daySummary_.reset();
    alerts_.reset();
    monitor_.reset();
    endProgram();
}

void BackupApplication::stopBackupWork() {
    // The run stops between files (every file whole) and its thread is waited for at most
    // 5 s; the settings it used are saved after this. A restore stops the same way, before
    // the platform it works through goes.
    stopBackup(BackupRunner::EndLimit);
    if (restoreWindow_ && !restoreWindow_->stopRestore(BackupRunner::EndLimit))
        qWarning("tillora-backup: the restore did not stop in time");
}

// The program's only way out: leave the main loop, so main() returns and every object
// goes in order, the single-instance lock last. Nothing else calls exit(): a process that
// left from inside other work would skip the saves and leave sends unrecorded. From inside
// a nested loop (a message box) exit() ends that loop too and the main loop after it;
// before the main loop runs (a request during start-up) the exit waits for it.
void BackupApplication::endProcessNow() {
    QApplication::closeAllWindows();
    if (started_)
        QCoreApplication::exit(0);
    else
        exitOnceStarted_ = true;
}

void BackupApplication::terminate() {
    endNow();
}

void BackupApplication::endWhenIdle() {
    endWhenIdle_ = true;
    const bool restoring = restoreWindow_ && restoreWindow_->restoring();
    if (!runner_->running() && !restoring)
        endNow();
}

} // namespace tillora
