#include "BackupApplication.h"

#include "AlertsSection.h"
#include "AppAlertSources.h"
#include "BackupAlertService.h"
#include "BackupEngine.h"
#include "BackupHistory.h"
#include "BackupOptions.h"
#include "BackupScheduler.h"
#include "CarrierFile.h"
#include "DataFiles.h"
#include "DatePictures.h"
#include "DriveInfo.h"
#include "Form1.h"
#include "HourlyReportCheck.h"
#include "NetReconnect.h"
#include "NotifySettings.h"
#include "OffsiteSettings.h"
#include "OffsiteStep.h"
#include "ReportCycle.h"
#include "RunSummary.h"
#include "SecretStore.h"
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
#include <QThread>

#include <cstdio>
#include <cstdlib>

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
    , settingsFile_(platform, prompts, values_)
    , form_(std::make_unique<Form1>(platform, prompts, settingsFile_))
    , driveInfo_(new DriveInfoPopup(platform, this))
    , mailRoute_(platform, values_)
    , notifier_(platform, values_, mailRoute_)
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
    connect(form, &Form1::settled, this, [this] {
        driveInfo_->hideWindow();
        qInfo("tillora-backup: resident (%s)", form_->notificationAreaAvailable()
                                                   ? "icon in the notification area"
                                                   : "minimised: no notification area");
        Q_EMIT resident();
    });
    connect(form, &Form1::endRequested, this, [this] {
        ending_ = true;
        offsite_->stop();
        endProgram();
    });
    connect(terminationRequests_, &TerminationRequests::requested, this,
            &BackupApplication::terminate);
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // A logout: save before the session ends the process.
        connect(gui, &QGuiApplication::commitDataRequest, this, [this] { form_->Terminate(); });
        connect(gui, &QCoreApplication::aboutToQuit, this, [this] { form_->Terminate(); });
    }

    wireBackup();
    wireTexting();
    wireOffsite();
    wireCatchUp();
}

void BackupApplication::wireBackup() {
    Form1* form = form_.get();
    netReconnect_ = std::make_unique<NetReconnect>(*form, platform_, values_,
                                                   [form] { return openTLRAconnect(form); });
    engine_ = std::make_unique<BackupEngine>(*form, *form, platform_, clock_, prompts_, values_,
                                             [this] { netReconnect_->run(); });
    connect(form->SSCommand3, &QPushButton::clicked, this,
            [this] { runBackup(RunTrigger::BackupNow); });
    connect(form->HistoryButton, &QPushButton::clicked, this, &BackupApplication::showHistory);
    connect(form->Command1, &QPushButton::clicked, this, [this] { netReconnect_->run(); });

    scheduler_ = new BackupScheduler(
        clock_, [form] { return form->Combo1[0]->currentText(); },
        [this] { runBackup(RunTrigger::Scheduled); }, this);
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
    // The history window's "Delivery..." opens the same window as the texter's "Delivery".
    openDeliveryWindow = [this] { showDeliverySettings(); };
    // The delivery window shows the backup alerts' settings and test button too.
    texting_->setDeliverySections([this](NotifySettings& window) {
        if (!alerts_)
            return;
        auto* section = new AlertsSection(platform_, values_, *alerts_);
        window.addSection(section, [section] { return section->save(); });
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
    secrets_ = std::make_unique<SecretStore>();
    offsite_ = new OffsiteStep(*form, platform_, clock_, values_, *secrets_, this);
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
            new OffsiteSettings(*form_, platform_, values_, prompts_, *secrets_, form_.get());
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
    }
    return *offsiteWindow_;
}

void BackupApplication::offsiteEnded(const BackupRunResult& result) {
    if (!offsite_->running())
        form_->showOffsiteProgress(std::nullopt);
    // The night's record gets the copy's summary: same start time, so it is replaced.
    recordHistory(result);
    const RunSummary summary = summarize(result);
    form_->showLastRun(summary.line, summary.attention);
    if (result.offsite->outcome != OffsiteSummary::Outcome::Completed) {
        const bool failed = result.offsite->outcome == OffsiteSummary::Outcome::Failed;
        form_->announceRun(failed ? QStringLiteral("Off-site copy FAILED")
                                  : QStringLiteral("Off-site copy INCOMPLETE"),
                           result.offsite->reason, true);
    }
    if (alerts_)
        alerts_->offsiteFinished(result);
    Q_EMIT offsiteResult(result);
}

void BackupApplication::wireCatchUp() {
    // Made up once, a while after start-up, when the PC was off at the backup minute.
    catchUpTimer_ = new QTimer(this);
    catchUpTimer_->setSingleShot(true);
    connect(catchUpTimer_, &QTimer::timeout, this, [this] {
        if (form_->CatchUpBox->isChecked() && catchUpRule().missedAtStart(clock_.now()))
            runBackup(RunTrigger::CatchUp);
    });
    // Made up at once when the minute passed between two ticks (sleep, a clock jump, a tick
    // held by other work), but after the tick has ended and the scheduler is re-armed.
    scheduler_->setTickObserver([this](const QDateTime& previous, const QDateTime& now) {
        if (form_->CatchUpBox->isChecked() && catchUpRule().missedBetweenTicks(previous, now))
            QTimer::singleShot(0, this, [this] { runBackup(RunTrigger::CatchUp); });
    });
    connect(form_->CatchUpBox, &QCheckBox::clicked, this, &BackupApplication::saveCatchUpOption);
}

CatchUpRule BackupApplication::catchUpRule() const {
    return {parseTimeOfDay(form_->Combo1[0]->currentText()),
            {lastBackupEnd_, parseShortDate(form_->Text2->text())}};
}

void BackupApplication::saveCatchUpOption(bool on) {
    BackupOptions options = BackupOptions::load(platform_, values_);
    options.catchUpMissedRun = on;
    if (const SaveResult saved = options.save(platform_, values_); !saved) {
        prompts_.notify(
            {PromptIcon::Critical, PromptButtons::Ok, QStringLiteral("Options not saved"),
             QStringLiteral("The backup options could not be saved: %1").arg(saved.reason),
             PromptAnswer::Ok});
    }
}

void BackupApplication::runBackup(RunTrigger trigger) {
    finishRun(engine_->RunBackup(trigger));
}

void BackupApplication::finishRun(const BackupRunResult& result) {
    const RunSummary summary = summarize(result);
    if (result.isRun()) {
        recordHistory(result);
        form_->showLastRun(summary.line, summary.attention);
    }
    if (result.trigger == RunTrigger::BackupNow)
        form_->announceRun(QStringLiteral("Backup Now"), summary.line, summary.attention);
    if (alerts_)
        alerts_->runFinished(result);
    Q_EMIT backupResult(result);
    // The copy elsewhere runs beside the event loop: the tick that started the backup
    // ends now, and the first upload of hours holds neither the next tick nor the window.
    if (offsite_->follows(result))
        offsite_->start(result);
}

void BackupApplication::enableAlerts(Notifier& notifier) {
    Form1* form = form_.get();
    auto sources = std::make_unique<AppAlertSources>(
        platform_, values_, *form, history_, [form] { return form->Combo1[0]->currentText(); });
    alerts_ = std::make_unique<BackupAlertService>(
        std::move(sources), notifier, clock_,
        platform_.nativePath(DataFiles::path(values_.DataDIR, DataFile::Outbox)));
    alerts_->start();
}

void BackupApplication::recordHistory(const BackupRunResult& result) {
    if (result.isBackup())
        lastBackupEnd_ = result.finished;
    const SaveResult saved = history_.record(result);
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
        form_->showLastRun(summary.line, summary.attention);
    }
    lastBackupEnd_ = history_.lastBackupEnd();
}

BackupHistory* BackupApplication::historyWindow() const {
    return historyWindow_;
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

void BackupApplication::mobileTextStartupChecks() {
    form_->setSettingsButtonColour(
        settingsButtonColour(textSettingsFileExists(platform_, values_)));
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
    QCoreApplication::processEvents();

    form.FillTimeLists();
    if (readPosSettings(platform_, values_) == PosSettingsFile::Damaged)
        prompts_.notify({PromptIcon::Warning, PromptButtons::Ok,
                         QStringLiteral("Config file Damaged"), damagedPosSettingsMessage(),
                         PromptAnswer::Ok});
    form.LoadBackupSettings();
    enableAlerts(notifier());
    form.CatchUpBox->setChecked(BackupOptions::load(platform_, values_).catchUpMissedRun);
    showLastRunOfHistory();
    form.ShowBackupStatus();
    form.AddTrayIcon();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    form.showMainWindow();
    splash.reset();
    form.MonthView1->setSelectedDate(clock_.now().date());
    mobileTextStartupChecks();
    form.armResidentTimer();
    scheduler_->start();
    catchUpTimer_->start(catchUpDelay);
    started_ = true;
}

void BackupApplication::endProcessNow() {
    QApplication::closeAllWindows();
    // Outside the main loop (start-up, a message box, the wait of a running backup) the
    // program must not carry on with the interrupted work once it is told to end: the
    // settings are saved by now, so leave without unwinding into it. A backup that is
    // copying, like a report cycle between its waits, yields through single event passes,
    // which no loop level shows.
    const bool insideWork =
        (engine_ && engine_->running()) || (texting_ && texting_->cycleRunning());
    if (!started_ || insideWork || QThread::currentThread()->loopLevel() > 1) {
        std::fflush(nullptr);
        std::_Exit(0);
    }
    QCoreApplication::exit(0);
}

void BackupApplication::terminate() {
    if (ending_)
        return;
    ending_ = true;
    form_->Terminate();
    offsite_->stop();
    endProgram();
}

} // namespace tillora
