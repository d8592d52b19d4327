#include "BackupApplication.h"

#include "BackupEngine.h"
#include "BackupScheduler.h"
#include "CarrierFile.h"
#include "DriveInfo.h"
#include "Form1.h"
#include "HourlyReportCheck.h"
#include "NetReconnect.h"
#include "OffsiteSettings.h"
#include "OffsiteStep.h"
#include "ReportCycle.h"
#include "SecretStore.h"
#include "TLRAconnect.h"
#include "TerminationRequests.h"
#include "TextSettingsFile.h"
#include "TexterWindows.h"
#include "TilloraBackup3.h"
#include "TrayIcon.h"

#include <QComboBox>
#include <QPushButton>

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
    , terminationRequests_(new TerminationRequests(this)) {
    wire();
}

BackupApplication::~BackupApplication() {
    // The texter window reports to the status panel: it goes first.
    hourlyReport_.reset();
    texting_.reset();
}

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
}

void BackupApplication::wireBackup() {
    Form1* form = form_.get();
    netReconnect_ = std::make_unique<NetReconnect>(*form, platform_, values_,
                                                   [form] { return openTLRAconnect(form); });
    engine_ = std::make_unique<BackupEngine>(*form, *form, platform_, clock_, prompts_, values_,
                                             [this] { netReconnect_->run(); });
    connect(form->SSCommand3, &QPushButton::clicked, this,
            [this] { backupRunEnded(engine_->RunBackup(BackupEngine::Trigger::BackupNow)); });
    connect(form->Command1, &QPushButton::clicked, this, [this] { netReconnect_->run(); });

    scheduler_ = new BackupScheduler(
        clock_, [form] { return form->Combo1[0]->currentText(); },
        [this] { backupRunEnded(engine_->RunBackup(BackupEngine::Trigger::Scheduled)); }, this);
}

void BackupApplication::wireTexting() {
    Form1* form = form_.get();
    statusPanel_ = std::make_unique<MainWindowStatus>(*form);
    texting_ = std::make_unique<TexterWindows>(platform_, values_, clock_, prompts_, *statusPanel_);
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
    }
    return *offsiteWindow_;
}

void BackupApplication::backupRunEnded(const BackupRunResult& result) {
    Q_EMIT backupResult(result);
    // The copy elsewhere runs beside the event loop: the tick that started the backup
    // ends now, and the first upload of hours holds neither the next tick nor the window.
    if (offsite_->follows(result))
        offsite_->start(result);
}

void BackupApplication::offsiteEnded(const BackupRunResult& result) {
    if (!offsite_->running())
        form_->showOffsiteProgress(std::nullopt);
    if (result.offsite && result.offsite->outcome != OffsiteSummary::Outcome::Completed &&
        form_->trayIcon()) {
        const bool failed = result.offsite->outcome == OffsiteSummary::Outcome::Failed;
        form_->trayIcon()->showMessage(failed ? QStringLiteral("Off-site copy FAILED")
                                              : QStringLiteral("Off-site copy INCOMPLETE"),
                                       result.offsite->reason);
    }
    Q_EMIT offsiteResult(result);
}

void BackupApplication::mobileTextStartupChecks() {
    form_->setSettingsButtonColour(
        settingsButtonColour(textSettingsFileExists(platform_, values_)));
    ensureCarrierFile(platform_, values_);
}

void BackupApplication::start() {
    Form1& form = *form_;
    form.hide();
    auto splash = std::make_unique<TilloraBackup3>();
    splash->show();
    QCoreApplication::processEvents();

    form.FillTimeLists();
    readPosSettings(platform_, values_);
    form.LoadBackupSettings();
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
