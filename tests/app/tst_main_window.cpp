// The main window: start-up, the notification-area icon, its buttons and its end.
#include "BackupApplication.h"
#include "BackupOptions.h"
#include "BackupScheduler.h"
#include "DriveInfo.h"
#include "FakePlatform.h"
#include "FakePrompts.h"
#include "Form1.h"
#include "ManualClock.h"
#include "RunSummary.h"
#include "SessionAutostart.h"
#include "SingleInstance.h"
#include "TLRAerror.h"
#include "TempDrives.h"
#include "TilloraBackup3.h"
#include "TrayIcon.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

const QString SettingsPath = QStringLiteral("Tillora/ini/Autobackup.dat");

QByteArray savedFile(const QByteArray& destination, const QByteArray& firstFlag = "-1") {
    return "\"Time Start    \",\"11:30 pm\"\r\n"
           "\"Backup From   \",\"c:\"\r\n"
           "\"Backup To     \",\"" +
           destination +
           "\"\r\n"
           "\"Data\"," +
           firstFlag +
           "\r\n"
           "\"Clock\",0\r\n"
           "\"Rewards\",0\r\n"
           "\"Gift\",0\r\n"
           "\"Last Date     \",\"12/6/2026\"\r\n"
           "\"Pay\",-1\r\n"
           "\"Backup to is a Network Drive\",0\r\n";
}

// A store with drives c: and e: and the program made over it, ended by the test.
struct Program {
    TempDrives drives;
    FakePlatform platform{(drives.addDrive('c'), drives.addDrive('e', QStringLiteral("BACKUP")),
                           drives.driveFolder())};
    ManualClock clock{QDateTime(QDate(2026, 12, 7), QTime(15, 0))};
    FakePrompts prompts;
    std::unique_ptr<BackupApplication> app;
    int ended = 0;
    bool resident = false;

    Program() { platform.space.insert(QStringLiteral("e:"), DiskSpace{0, 2048, 1024}); }

    Form1& form() { return app->form(); }
    void make() {
        app = std::make_unique<BackupApplication>(platform, clock, prompts);
        app->endProgram = [this] { ++ended; };
        app->driveInfo().pauseDuration = std::chrono::milliseconds(300);
        QObject::connect(app.get(), &BackupApplication::resident, [this] { resident = true; });
    }
    void start() {
        make();
        app->start();
    }
    QByteArray settingsBytes() const { return drives.readFile('c', SettingsPath); }
};

QColor panelBack(QWidget* panel) {
    return panel->palette().color(QPalette::Window);
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The night's line with its off-site copy is read whole at the window's own size.
    void theLastRunIsShownWhole() {
        Program p;
        p.start();
        Form1& f = p.form();
        BackupRunResult run;
        run.started = QDateTime(QDate(2026, 12, 7), QTime(6, 15));
        run.finished = run.started;
        run.filesCopied = 8;
        run.filesUnchanged = 30;
        run.bytesCopied = 3481;
        run.offsite = OffsiteSummary{};
        run.offsite->bytesAdded = 1258291;
        f.showLastRun(summarize(run).lines, false);
        f.showNormal();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QRect room = f.LastRunLabel->contentsRect();
        const QRect needed = f.LastRunLabel->fontMetrics().boundingRect(
            room, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, f.LastRunLabel->text());
        QVERIFY2(room.contains(needed), qPrintable(f.LastRunLabel->text()));
        QVERIFY(f.SSCommand5->height() >= f.SSCommand5->sizeHint().height());
    }

    void firstStartWritesDefaultsShowsThemAndSettles() {
        Program p;
        p.start();
        QCOMPARE(p.prompts.notified.size(), 1);
        QCOMPARE(p.prompts.notified[0].title, QStringLiteral("Config file Missing"));
        QVERIFY(p.settingsBytes().contains("\"Tillora\",\"-1\"\r\n"));

        Form1& f = p.form();
        QVERIFY(f.isVisible());
        QCOMPARE(f.Combo1[0]->currentText(), QStringLiteral("03:00 am"));
        QCOMPARE(f.Combo1[0]->count(), 96);
        QCOMPARE(f.Drive1->currentText(), QStringLiteral("c:"));
        QCOMPARE(f.Drive2->currentText(), QStringLiteral("c:"));
        QCOMPARE(f.Drive2->count(), 2);
        for (int row = 0; row < 6; ++row)
            QCOMPARE(f.SSCheck1[row]->isChecked(), row < 4);
        QCOMPARE(f.Text1[5]->text(), QStringLiteral("Backup to is a Network Drive"));
        QCOMPARE(f.Text2->text(), QStringLiteral("Never"));
        QCOMPARE(f.SSPanel3->text(), QStringLiteral("ON"));
        QCOMPARE(panelBack(f.SSPanel3), QColor(0, 192, 0));
        QCOMPARE(f.MonthView1->selectedDate(), QDate(2026, 12, 7));
        QVERIFY(f.windowTitle().startsWith(QStringLiteral("Tillora Auto Backup")));
        QVERIFY(f.trayIcon());
        // The same drive as before: no drive information at start-up.
        QVERIFY(!p.app->driveInfo().window());
        QVERIFY(!f.findChild<TilloraBackup3*>());

        // Timer2 settles the window 100 ms later; offscreen there is no notification area,
        // so it is minimised, not hidden out of reach.
        QTRY_VERIFY_WITH_TIMEOUT(p.resident, 2000);
        QVERIFY(f.isVisible());
        QVERIFY(f.isMinimized());
        QVERIFY(!f.Timer2->isActive());
    }

    void aCutShortPosSettingsFileIsToldAndNotUsed() {
        Program p;
        p.drives.writeFile('c', QStringLiteral("Tillora/TlraIni.dat"), QByteArray(960, 'D'));
        p.start();
        QStringList told;
        for (const PromptRequest& request : p.prompts.notified + p.prompts.asked) {
            if (request.text.contains(QStringLiteral("TlraIni.dat")))
                told.append(request.text);
        }
        QCOMPARE(told, QStringList{"The point-of-sale settings file c:\\tillora\\TlraIni.dat is "
                                   "empty or damaged; using defaults"});
        QCOMPARE(p.app->values().DataDIR, QStringLiteral("c:\\Tillora\\"));
        QCOMPARE(p.app->values().CompanyName, QStringLiteral("XXXXX"));
    }

    void startWithSessionBoxHasItsOwnPlaceAndSwitchesTheEntry() {
        Program p;
        p.make();
        QTemporaryDir home;
        SessionAutostart autostart({QStringLiteral("tillora-backup"),
                                    QStringLiteral("Backup"),
                                    {},
                                    QStringLiteral("/usr/bin/tillora-backup"),
                                    {}},
                                   home.path());
        p.form().wireAutostart(autostart);
        p.app->start();
        QCheckBox* box = p.form().StartWithSession;
        QVERIFY(box->isVisible());
        for (auto* control : p.form().findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (control != box && control->isVisible())
                QVERIFY2(!control->geometry().intersects(box->geometry()),
                         qPrintable(control->objectName()));
        }
        box->click();
        QVERIFY(autostart.isOn());
    }

    void anotherDestinationPopsUpItsFiguresDuringStartUp() {
        Program p;
        p.drives.writeFile('c', SettingsPath, savedFile("e: [BACKUP]"));
        // As the pop-up comes up during start-up: it must not cover the splash.
        QRect splash, popUp;
        p.make();
        QObject::connect(&p.form(), &Form1::destinationDriveChanged, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (w->isVisible() && qobject_cast<TilloraBackup3*>(w))
                    splash = w->frameGeometry();
                if (w->isVisible() && qobject_cast<DriveInfo*>(w))
                    popUp = w->frameGeometry();
            }
        });
        QElapsedTimer elapsed;
        elapsed.start();
        p.app->start();
        // Its seconds go by a timer, not by holding up the start.
        QVERIFY(p.app->driveInfo().window()->isVisible());
        QTRY_VERIFY(!p.app->driveInfo().window()->isVisible());
        QVERIFY(elapsed.elapsed() >= 290);
        QVERIFY(!splash.isEmpty() && !popUp.isEmpty());
        QVERIFY(!splash.intersects(popUp));
        QVERIFY(p.prompts.asked.isEmpty());
        Form1& f = p.form();
        QCOMPARE(f.Drive2->currentText(), QStringLiteral("e: [BACKUP]"));
        QCOMPARE(f.Combo1[0]->currentText(), QStringLiteral("11:30 pm"));
        QCOMPARE(f.Text1[0]->text(), QStringLiteral("Data"));
        QCOMPARE(f.Text2->text(), QStringLiteral("12/6/2026"));
        DriveInfo* info = p.app->driveInfo().window();
        QVERIFY(info && !info->isVisible());
        QCOMPARE(info->Text2->text(), QStringLiteral("Drive Capacity: 2 Kilobytes"));
        QCOMPARE(info->Text3->text(), QStringLiteral("Free Space: 1 Kilobytes"));

        // Choosing the same drive again raises no change; another one pops up again.
        info->Text2->clear();
        f.Drive2->setCurrentIndex(f.Drive2->currentIndex());
        QVERIFY(info->Text2->text().isEmpty());
        f.Drive2->setCurrentIndex(0);
        QCOMPARE(info->Text4->text(), QStringLiteral("c:"));
    }

    void pickingTheBackupDriveForgetsTheVolumeTheLastRunFound() {
        Program p;
        p.make();
        QVERIFY(saveDriveIdentity(p.platform, p.app->values(), {"e:", "1A2B-3C4D"}).ok);
        Q_EMIT p.form().Drive2->activated(p.form().Drive2->currentIndex());
        QCOMPARE(loadDriveIdentity(p.platform, p.app->values()), BackupDriveIdentity{});
    }

    void anUnpluggedBackupDriveLosesNoSetting() {
        const QByteArray saved = savedFile("e: [BACKUP]", "0");
        {
            Program p;
            p.drives.writeFile('c', SettingsPath, saved);
            p.drives.pullDrive('e');
            p.start();
            QVERIFY(p.prompts.asked.isEmpty());
            QCOMPARE(p.prompts.notified.size(), 1);
            QCOMPARE(p.prompts.notified[0].title, QStringLiteral("Backup Drive not Found"));
            Form1& f = p.form();
            QCOMPARE(f.Drive2->currentText(), QStringLiteral("e: (not connected)"));
            QCOMPARE(f.Text2->text(), QStringLiteral("12/6/2026"));
            QVERIFY(!p.app->driveInfo().window()); // nothing to show of a missing drive
            // A scheduled run fails as the drive's, and nothing lands on c:.
            p.clock.set(QDateTime(QDate(2026, 12, 7), QTime(23, 30, 10)));
            QSignalSpy results(p.app.get(), &BackupApplication::backupResult);
            p.app->scheduler().SchedulerTick();
            QVERIFY(results.wait());
            QVERIFY(!p.drives.exists('c', "TLRAbackup"));
            QCOMPARE(f.Text2->text(), QStringLiteral("12/6/2026"));
            f.SSCommand2->click();
            QCOMPARE(p.settingsBytes(), saved);

            // The drive is back: start again and everything is as it was.
            p.app.reset();
            p.drives.addDrive('e', QStringLiteral("BACKUP"));
            p.prompts.notified.clear();
            p.start();
            QVERIFY(p.prompts.notified.isEmpty());
            QCOMPARE(p.form().Drive2->currentText(), QStringLiteral("e: [BACKUP]"));
            QCOMPARE(
                p.form().settings(),
                BackupSettingsFile(p.platform, p.prompts, p.app->values()).load(BackupSettings{}));
            QVERIFY(!p.form().SSCheck1[0]->isChecked());
        }
    }

    void iconClicksShowTheWindowAndMovementDoesNothing_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("shows");
        for (int code : {513, 514, 515, 516, 517, 518})
            QTest::newRow(qPrintable(QString::number(code))) << code << true;
        QTest::newRow("mouse move 512") << 512 << false;
        QTest::newRow("middle button 519") << 519 << false;
        QTest::newRow("zero") << 0 << false;
    }
    void iconClicksShowTheWindowAndMovementDoesNothing() {
        QFETCH(int, code);
        QFETCH(bool, shows);
        Program p;
        p.drives.writeFile('c', SettingsPath, savedFile("c:"));
        p.start();
        QTRY_VERIFY(p.resident);
        Form1& f = p.form();
        f.setNotificationAreaAvailable(true);
        f.hideToResident();
        QVERIFY(!f.isVisible());
        f.trayIcon()->handleMessage(code);
        QCOMPARE(f.isVisible(), shows);

        // Minimised (no notification area) comes back to its normal size.
        f.setNotificationAreaAvailable(false);
        f.hideToResident();
        f.trayIcon()->handleMessage(code);
        QCOMPARE(f.isMinimized(), !shows);
    }

    void aDrivePluggedInWhileAwayIsListedWhenTheWindowComesBack() {
        Program p;
        p.drives.writeFile('c', SettingsPath, savedFile("e: [BACKUP]"));
        p.start();
        QTRY_VERIFY(p.resident);
        QTRY_VERIFY(!p.app->driveInfo().window()->isVisible()); // the start-up pop-up's seconds
        Form1& f = p.form();
        p.drives.addDrive('f', QStringLiteral("USB"));
        f.trayIcon()->handleMessage(514);
        QCOMPARE(f.Drive2->count(), 3);
        QCOMPARE(f.Drive2->currentText(), QStringLiteral("e: [BACKUP]"));
        QVERIFY(!p.app->driveInfo().window()->isVisible()); // no change, no pop-up
    }

    void doneSavesBareFlagsAndHides() {
        Program p;
        p.start();
        QTRY_VERIFY(p.resident);
        Form1& f = p.form();
        f.setNotificationAreaAvailable(true);
        f.showMainWindow();
        f.Combo1[0]->setCurrentIndex(f.Combo1[0]->findText(QStringLiteral("2:45 am")));
        f.SSCheck1[1]->click();
        f.SSCommand1->click();
        QVERIFY(!f.isVisible());
        const QByteArray bytes = p.settingsBytes();
        QVERIFY(bytes.startsWith("\"Time Start    \",\"2:45 am\"\r\n"));
        QVERIFY(bytes.contains("\"Shiftra\",0\r\n"));
        QVERIFY(bytes.contains("\"Tillora\",-1\r\n"));
        QVERIFY(p.ended == 0);

        // Without a notification area "Done" minimises instead.
        f.setNotificationAreaAvailable(false);
        f.showMainWindow();
        f.SSCommand1->click();
        QVERIFY(f.isVisible() && f.isMinimized());
    }

    void setDefaultRestoresNamesKeepsBoxesAndSaves() {
        Program p;
        p.drives.writeFile('c', SettingsPath, savedFile("c:"));
        p.start();
        Form1& f = p.form();
        QCOMPARE(f.Text1[4]->text(), QStringLiteral("Pay"));
        f.SSCommand4->click();
        const auto names = BackupSettings::defaultFolderNames();
        for (int row = 0; row < 5; ++row)
            QCOMPARE(f.Text1[row]->text(), names[row]);
        QCOMPARE(f.SSCheck1[1]->isChecked(), false);
        QCOMPARE(f.SSCheck1[4]->isChecked(), true);
        QVERIFY(p.settingsBytes().contains("\"Paydex\",-1\r\n"));
        QVERIFY(p.settingsBytes().contains("\"Shiftra\",0\r\n"));
    }

    void statusCountsOnlyTheFirstFourFolders() {
        Program p;
        p.start();
        Form1& f = p.form();
        for (int row = 0; row < 4; ++row)
            f.SSCheck1[row]->click();
        QCOMPARE(f.SSPanel3->text(), QStringLiteral("OFF"));
        f.SSCheck1[4]->click();
        f.SSCheck1[5]->click();
        QCOMPARE(f.SSPanel3->text(), QStringLiteral("OFF"));
        QCOMPARE(panelBack(f.SSPanel3), QColor(255, 0, 0));
        f.SSCheck1[3]->click();
        QCOMPARE(f.SSPanel3->text(), QStringLiteral("ON"));
    }

    void statusLineShowsAndAClickHidesIt() {
        Program p;
        p.make();
        Form1& f = p.form();
        f.show();
        f.setStatusLine(QStringLiteral("Text sent 3:00 PM"), colour::Green, true);
        QVERIFY(f.SSPanel6->isVisible());
        QCOMPARE(f.SSPanel6->text(), QStringLiteral("Text sent 3:00 PM"));
        QCOMPARE(f.SSPanel6->palette().color(QPalette::WindowText), QColor(0, 192, 0));
        QVERIFY(f.SSPanel6->font().bold());
        QTest::mouseClick(f.SSPanel6, Qt::LeftButton);
        QVERIFY(!f.SSPanel6->isVisible());
    }

    void aDoubleQuoteInAFolderNameIsRefused() {
        Program p;
        p.start();
        Form1& f = p.form();
        p.prompts.asked.clear();
        f.Text1[2]->clear();
        QTest::keyClicks(f.Text1[2], QStringLiteral("Old \"Loyvana\", 2"));
        QCOMPARE(f.Text1[2]->text(), QStringLiteral("Old Loyvana, 2"));
        QCOMPARE(p.prompts.asked.size(), 2);
        QCOMPARE(p.prompts.asked[0].title, QStringLiteral("Folder Name"));
        f.SSCommand1->click();
        QCOMPARE(p.app->form().settings().folderNames[2], QStringLiteral("Old Loyvana, 2"));
        QVERIFY(p.settingsBytes().contains("\"Old Loyvana, 2\",-1\r\n"));

        // A name that leads out of the backup is refused when typed, naming its box.
        p.prompts.asked.clear();
        f.Text1[1]->clear();
        QTest::keyClicks(f.Text1[1], QStringLiteral("..\\..\\Windows"));
        QTest::keyClick(f.Text1[1], Qt::Key_Return);
        QCOMPARE(f.Text1[1]->text(), QStringLiteral("Shiftra"));
        QCOMPARE(p.prompts.asked.size(), 1);
        QVERIFY(p.prompts.asked[0].text.contains(QStringLiteral("\"..\\..\\Windows\" in the "
                                                                "Shiftra box (row 2)")));
    }

    void endRemovesTheIconSavesAndEnds() {
        Program p;
        p.start();
        Form1& f = p.form();
        f.Text2->setText(QStringLiteral("12/1/2026"));
        f.SSCommand2->click();
        QCOMPARE(p.ended, 1);
        QVERIFY(!f.trayIcon()->isShown());
        QVERIFY(p.settingsBytes().contains("\"Last Date     \",\"12/1/2026\"\r\n"));
        QVERIFY(p.settingsBytes().contains("\"Tillora\",-1\r\n"));
    }

    void closingTheWindowActsAsDone() {
        Program p;
        p.start();
        Form1& f = p.form();
        f.Text2->setText(QStringLiteral("12/2/2026"));
        f.close();
        QCOMPARE(p.ended, 0);
        QVERIFY(f.trayIcon()->isShown() || !f.notificationAreaAvailable());
        QVERIFY(p.settingsBytes().contains("\"12/2/2026\""));
        p.app->terminate(); // a later kill still ends the program, once
        p.app->terminate();
        QCOMPARE(p.ended, 1);
    }

    void busyOverlayMovesIntoViewAndBack() {
        Program p;
        p.make();
        Form1& f = p.form();
        f.show();
        QCOMPARE(f.SSPanel2->y(), 800); // 12000 twips: below the window
        QVERIFY(f.SSPanel2->y() > f.height());
        f.showBusy(true);
        QVERIFY(f.SSPanel2->isVisible());
        QCOMPARE(f.SSPanel2->y(), 96); // 1440 twips
        f.showStep(QStringLiteral("c:\\Tillora\\Data"), QStringLiteral("e:\\TLRAbackup\\Data"));
        f.setProgressMaximum(4);
        f.setProgressValue(3);
        QCOMPARE(f.Label3->text(), QStringLiteral("c:\\Tillora\\Data"));
        QCOMPARE(f.ProgressBar1->value(), 3);
        f.showBusy(false);
        QCOMPARE(f.SSPanel2->y(), 800);
        QVERIFY(!f.SSPanel2->isVisible());
        f.showBusy(true); // the next run does not show the last one's folders
        QVERIFY(f.Label3->text().isEmpty() && f.Label4->text().isEmpty());
    }

    void splashAdvancesAtMostFiveSteps() {
        TilloraBackup3 splash;
        QCOMPARE(splash.windowTitle(), QStringLiteral("Loading"));
        QCOMPARE(splash.Timer1->interval(), 2000);
        for (int i = 0; i < 7; ++i)
            splash.advance();
        QCOMPARE(splash.Label3->text(), QStringLiteral("5"));
        QCOMPARE(splash.Bar->width(), 5 * 1000 / 15);
        QVERIFY(!splash.Timer1->isActive());
    }

    void aSecondInstanceIsRefusedWithTheErrorWindowAndShowsTheFirst() {
        TempDrives drives;
        FakePlatform platform(drives.driveFolder());
        const QString program =
            QStringLiteral("tillora-test-%1").arg(QCoreApplication::applicationPid());
        // The running copy answers from an event loop of its own, as another process does:
        // a Windows pipe takes a write only once the other end reads it.
        QThread runningCopy;
        std::unique_ptr<InstanceRequests> running;
        std::atomic<int> shown = 0;
        QSemaphore listening;
        connect(&runningCopy, &QThread::started, [&] {
            running = std::make_unique<InstanceRequests>(platform, program);
            connect(running.get(), &InstanceRequests::showRequested, [&] { ++shown; });
            listening.release();
        });
        connect(&runningCopy, &QThread::finished, [&] { running.reset(); });
        runningCopy.start();
        auto stop = qScopeGuard([&] {
            runningCopy.quit();
            runningCopy.wait();
        });
        listening.acquire();
        QVERIFY(running->listening());
        platform.anotherInstanceRuns = true;
        bool errorShown = false;
        QTimer::singleShot(50, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* error = qobject_cast<TLRAerror*>(w); error && error->isVisible()) {
                    errorShown = error->MessageLabel->text() ==
                                 QStringLiteral("Tillora BackUP is already running");
                    error->SSPanel2->click();
                }
            }
        });
        QVERIFY(!claimOrExplain(platform, program));
        QVERIFY(errorShown);
        QCOMPARE(platform.claimedInstances, QStringList{program});
        QTRY_COMPARE(shown.load(), 1);

        platform.anotherInstanceRuns = false;
        QVERIFY(claimOrExplain(platform, program));
        QCOMPARE(shown.load(), 1);
    }

    // The installer's "--end-when-idle": the requester waits until the running copy has
    // ended, told by its connection closing as the process goes.
    void anInstallerAsksTheRunningCopyToEnd() {
        TempDrives drives;
        FakePlatform platform(drives.driveFolder());
        const QString program =
            QStringLiteral("tillora-end-%1").arg(QCoreApplication::applicationPid());
        QCOMPARE(endRunningCopy(platform, program, std::chrono::seconds(5)),
                 EndOfRunningCopy::NoneRan);
        QThread runningCopy;
        std::unique_ptr<InstanceRequests> running;
        QSemaphore listening;
        connect(&runningCopy, &QThread::started, [&] {
            running = std::make_unique<InstanceRequests>(platform, program);
            connect(
                running.get(), &InstanceRequests::endRequested, running.get(),
                [&] {
                    platform.anotherInstanceRuns = false; // the lock goes with the process
                    running.reset();
                },
                Qt::QueuedConnection);
            listening.release();
        });
        runningCopy.start();
        auto stop = qScopeGuard([&] {
            runningCopy.quit();
            runningCopy.wait();
        });
        listening.acquire();
        platform.anotherInstanceRuns = true;
        QCOMPARE(endRunningCopy(platform, program, std::chrono::seconds(20)),
                 EndOfRunningCopy::Ended);
        QCOMPARE(exitCodeOf(EndOfRunningCopy::Ended), 3);
        // A copy that cannot be reached is never taken for one that ended.
        platform.anotherInstanceRuns = true;
        QCOMPARE(endRunningCopy(platform, program, std::chrono::seconds(5)),
                 EndOfRunningCopy::StillRuns);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
