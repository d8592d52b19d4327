#include "BackupApplication.h"

#include "DriveInfo.h"
#include "Form1.h"
#include "TerminationRequests.h"
#include "TilloraBackup3.h"
#include "TrayIcon.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QThread>

#include <cstdio>
#include <cstdlib>

namespace tillora {

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
        endProgram();
    });
    connect(form, &Form1::closeRequested, this, &BackupApplication::terminate);
    connect(terminationRequests_, &TerminationRequests::requested, this,
            &BackupApplication::terminate);
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        // A logout: save before the session ends the process.
        connect(gui, &QGuiApplication::commitDataRequest, this, [this] { form_->Terminate(); });
        connect(gui, &QCoreApplication::aboutToQuit, this, [this] { form_->Terminate(); });
    }

    // Later parts are wired here: the daily scheduler (Timer1) reading Combo1(0) and
    // calling the backup engine, "Backup Now" (SSCommand3), "Check Map" (Command1), the
    // texter window (SSCommand5) and the mail window (SSCommand6).
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
    // The texter window's start-up checks come here.
    form.armResidentTimer();
    started_ = true;
}

void BackupApplication::endProcessNow() {
    QApplication::closeAllWindows();
    // Outside the main loop (start-up, a message box, the wait of a running backup) the
    // program must not carry on with the interrupted work once it is told to end: the
    // settings are saved by now, so leave without unwinding into it.
    if (!started_ || QThread::currentThread()->loopLevel() > 1) {
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
    endProgram();
}

} // namespace tillora
