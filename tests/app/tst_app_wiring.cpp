// The resident program put together: its buttons, its scheduler and the hourly report
// reach the engine and the texter windows they belong to.
#include "AlertDispatcher.h"
#include "BackupAlertService.h"
#include "BackupApplication.h"
#include "BackupEngine.h"
#include "BackupHistory.h"
#include "BackupHistoryLog.h"
#include "BackupScheduler.h"
#include "DataFiles.h"
#include "DaySummaryService.h"
#include "DriveInfo.h"
#include "FakePlatform.h"
#include "FakePrompts.h"
#include "FakeRestic.h"
#include "Form1.h"
#include "HourlyReportCheck.h"
#include "HttpsTestServer.h"
#include "ManualClock.h"
#include "MonitorPinger.h"
#include "Notifier.h"
#include "NotifySettings.h"
#include "OffsiteSettings.h"
#include "OffsiteStep.h"
#include "RecordingNotifier.h"
#include "ResticRunner.h"
#include "SecretStore.h"
#include "SmtpTestServer.h"
#include "TLRAtxtMsg.h"
#include "TempDrives.h"
#include "TexterWindows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <future>

using namespace tillora;
using namespace tillora::test;

namespace {

QByteArray mobileTextFile() {
    QByteArray bytes;
    for (const char* line : {"1", "555-123-4567", "Verizon", "9:00 am", "5:00 pm", "1", "0", "0",
                             "0", "12/07/2026 at 08:00 AM", "number@vtext.com", "owner@store.test",
                             "secret-pass", "FUTURE", "Data file for Text Messege"})
        bytes += QByteArray("\"") + line + "\"\r\n";
    return bytes;
}

struct Program {
    TempDrives drives;
    FakePlatform platform{(drives.addDrive('c'), drives.addDrive('e', QStringLiteral("BACKUP")),
                           drives.driveFolder())};
    ManualClock clock{QDateTime(QDate(2026, 12, 7), QTime(15, 0))};
    FakePrompts prompts;
    std::unique_ptr<BackupApplication> app;
    std::chrono::milliseconds catchUpDelay{std::chrono::minutes(2)};

    Program() {
        drives.writeFile('c', "Tillora/ini/Autobackup.dat",
                         "\"Time Start    \",\"3:00 am\"\r\n\"Backup From   \",\"c:\"\r\n"
                         "\"Backup To     \",\"e: [BACKUP]\"\r\n\"Tillora\",-1\r\n"
                         "\"Shiftra\",0\r\n\"Loyvana\",0\r\n\"Cardessa\",0\r\n"
                         "\"Last Date     \",\"Never\"\r\n\"Paydex\",0\r\n"
                         "\"Backup to is a Network Drive\",0\r\n");
        drives.writeFile('c', "Tillora/Sales/day.dat", "sales");
    }
    Form1& form() { return app->form(); }
    void start() {
        app = std::make_unique<BackupApplication>(platform, clock, prompts);
        app->endProgram = [] {};
        app->catchUpDelay = catchUpDelay;
        app->driveInfo().pauseDuration = std::chrono::milliseconds(50);
        app->start();
    }
    // Starts a run (a click, a tick) and waits for its result: the copying goes on on a
    // thread of its own.
    void awaitRun(const std::function<void()>& begin) {
        QSignalSpy results(app.get(), &BackupApplication::backupResult);
        begin();
        QVERIFY(!results.isEmpty() || results.wait(30000));
    }
    void backupNow() {
        awaitRun([this] { form().SSCommand3->click(); });
    }
    void tick() {
        awaitRun([this] { app->scheduler().SchedulerTick(); });
    }
};

// The owner's texting settings, sending through the local test server.
void textThrough(Program& p, const SmtpTestServer& server) {
    p.drives.writeFile('c', "Tillora/ini/MobileText.dat", mobileTextFile());
    p.drives.writeFile('c', "Tillora/ini/MailServer.dat",
                       mailServerRecord(p.drives, server.port(), server.certificateFile()));
}

// One cash sale of $7.50 in today's tenders, for the sales report to total.
void sellForCash(Program& p) {
    p.drives.writeFile('c', "Tillora/TDTenders.daT",
                       "\"T\",\"CASH\",7.5,1,\"\",\"\",0,0,0,0,0,\"\",\"\",1\r\n");
}

// Push alone, to `server` with its certificate, as the owner sets it in Notify.ini.
void pushOnlyTo(Program& p, const HttpsTestServer& server) {
    QFile ca(server.certificateFile());
    QVERIFY(ca.open(QIODevice::ReadOnly));
    p.drives.writeFile('c', "Tillora/ini/push-ca.pem", ca.readAll());
    p.drives.writeFile(
        'c', "Tillora/ini/Notify.ini",
        "[Gateway]\nEnabled=false\n[Push]\nEnabled=true\nServer=" + server.url().toUtf8() +
            "\nTopic=joes-diner-7Qx2\nCAFile=c:\\\\Tillora\\\\ini\\\\push-ca.pem\n");
}

} // namespace

QByteArray outboxOf(const Program& p) {
    QFile file(UserFiles::outbox(p.platform));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class TestAppWiring : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void startupMakesTheCarrierFileAndShowsTextingOff() {
        Program p;
        p.start();
        QVERIFY(p.drives.readFile('c', "Tillora/data/sms.dat").startsWith("\"AllTel\","));
        QVERIFY(p.form().SSCommand5->styleSheet().contains("#ff0000"));
    }

    // "Delivery" beside "Done" opens the window of the program's one notifier.
    void deliveryButtonOpensWhereReportsGo() {
        Program p;
        p.start();
        QCOMPARE(p.app->notifier().enabledChannels(), QList<Channel>{Channel::Gateway});
        p.app->texting().showSettings();
        p.app->texting().texter()->Command10->click();
        QWidget* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("NotifySettings") && w->isVisible())
                window = w;
        }
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Where reports go"));
        window->findChild<QLineEdit*>("MonitorPingURL")->setText("ftp://hc-ping.com/key");
        QVERIFY(!static_cast<NotifySettings*>(window)->save());
        QVERIFY(p.prompts.asked.last().text.startsWith("Ping URL:"));
        window->findChild<QLineEdit*>("MonitorPingURL")->clear();
        window->findChild<QLineEdit*>("SummaryAt")->setText("teatime");
        QVERIFY(!static_cast<NotifySettings*>(window)->save());
        QVERIFY(p.prompts.asked.last().text.startsWith("Summary time:"));
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // The history window's "Delivery..." opens it too.
        p.app->showHistory();
        p.app->historyWindow()->DeliveryButton->click();
        // One list: each call of topLevelWidgets() makes a new one.
        const auto deliveryShown = [] {
            const QWidgetList windows = QApplication::topLevelWidgets();
            return std::any_of(windows.cbegin(), windows.cend(), [](QWidget* w) {
                return w->objectName() == QLatin1String("NotifySettings") && w->isVisible();
            });
        };
        QTRY_VERIFY(deliveryShown());
    }

    void backupNowAndTheScheduledMinuteRunTheEngine() {
        Program p;
        p.start();
        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(1, 30)));
        p.backupNow();
        QCOMPARE(p.drives.readFile('e', "TLRAbackup/Tillora/Sales/day.dat"), QByteArray("sales"));
        QCOMPARE(p.form().Text2->text(), QStringLiteral("12/8/2026"));

        // A Backup Now earlier that day leaves the 3:00 run to do, without a question.
        p.drives.writeFile('c', "Tillora/Sales/day.dat", "more sales");
        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(3, 0, 20)));
        p.tick();
        QCOMPARE(p.drives.readFile('e', "TLRAbackup/Tillora/Sales/day.dat"),
                 QByteArray("more sales"));
        QCOMPARE(p.form().Text2->text(), QStringLiteral("12/8/2026"));
        QVERIFY(p.prompts.asked.isEmpty());
    }

    // Backup Now stays local; the scheduled night is copied off-site beside the event loop
    // and its result comes again with the copy's summary.
    void aNightlyRunIsCopiedOffsiteAndItsResultComesAgain() {
        TILLORA_TEST_RUNS_RESTIC();
        QTemporaryDir repository;
        Program p;
        p.start();
        OffsiteOptions options;
        options.enabled = true;
        options.repository = repository.filePath("repo");
        QVERIFY(options.save(p.platform, p.app->values()).ok);
        SecretStore secrets(p.platform.userSettingsFolder());
        QVERIFY(secrets.setValue("Offsite/Password", "pw").ok);
        ResticRunner init;
        QSignalSpy initialised(&init, &ResticRunner::finished);
        init.start(ResticCommands(options, OffsiteSecrets::load(secrets)).init(), {});
        QVERIFY(initialised.wait(30000));

        QSignalSpy results(p.app.get(), &BackupApplication::backupResult);
        QSignalSpy copies(p.app.get(), &BackupApplication::offsiteResult);
        p.backupNow();
        QCOMPARE(results.size(), 1);
        QVERIFY(!p.app->offsite().running());

        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(3, 0, 20)));
        p.tick();
        QCOMPARE(results.size(), 2);
        QVERIFY(p.app->offsite().running()); // the tick has ended, the copy goes on
        QVERIFY(p.form().OffsiteProgress->isVisible());
        QVERIFY(copies.wait(60000));
        QCOMPARE(copies.size(), 1);
        const auto night = results.at(1).first().value<BackupRunResult>();
        const auto copied = copies.first().first().value<BackupRunResult>();
        QCOMPARE(copied.started, night.started);
        QVERIFY(copied.offsite);
        QVERIFY2(copied.offsite->outcome == OffsiteSummary::Outcome::Completed,
                 qPrintable(copied.offsite->reason));
        QVERIFY(copied.offsite->filesNew >= 1 && !copied.offsite->snapshotId.isEmpty());
        // The first night's check is followed by the drill, which the program's own files,
        // rewritten after the backup copied them, do not mislead.
        QVERIFY(copied.offsite->restoreProven);
        QVERIFY(!p.form().OffsiteProgress->isVisible());
        // The night's record in the history now carries the copy, and the line says so.
        const QList<HistoryEntry> runs = p.app->history().runs();
        QCOMPARE(runs.size(), 2);
        QCOMPARE(runs.last().run.offsite->snapshotId, copied.offsite->snapshotId);
        QVERIFY(p.form().LastRunLabel->text().contains("off-site copy made"));

        // "Copy now" the same day copies the night's backup again, into its own record.
        OffsiteSettings& window = p.app->offsiteWindow();
        window.showWindow();
        QTRY_VERIFY_WITH_TIMEOUT(window.TestButton->isEnabled(), 30000); // snapshots listed
        window.CopyNowButton->click();
        QVERIFY(p.app->offsite().running());
        QVERIFY(copies.wait(60000));
        QCOMPARE(results.size(), 2);
        const QList<HistoryEntry> after = p.app->history().runs();
        QCOMPARE(after.size(), 2);
        QVERIFY(after.last().run.offsite->snapshotId != copied.offsite->snapshotId);
        QTRY_VERIFY_WITH_TIMEOUT(window.Snapshots->topLevelItemCount() == 2, 30000);
        QVERIFY2(window.Status->text().startsWith("Off-site copy made"),
                 qPrintable(window.Status->text()));

        // The next day, before its night: a backup of its own first, then the copy.
        p.clock.set(QDateTime(QDate(2026, 12, 9), QTime(11, 0)));
        window.CopyNowButton->click();
        QTRY_COMPARE_WITH_TIMEOUT(copies.size(), 3, 60000);
        QCOMPARE(results.last().first().value<BackupRunResult>().trigger, RunTrigger::BackupNow);
        QCOMPARE(p.app->history().runs().size(), 3);
        QVERIFY(p.app->history().runs().last().run.offsite);
    }

    // An upload that stalls, then one whose server goes away: each night the owner hears
    // of the copy's failure and its cause, and the history keeps restic's other words.
    void aStalledAndAFailedOffsiteCopyAlertTheOwner() {
        FakeRestic restic;
        RecordingNotifier notifier;
        Program p;
        p.start();
        p.app->enableAlerts(notifier);
        OffsiteOptions options;
        options.enabled = true;
        options.repository = QStringLiteral("rest:http://127.0.0.1:9/store1");
        options.resticProgram = restic.program();
        QVERIFY(options.save(p.platform, p.app->values()).ok);
        QVERIFY(SecretStore(p.platform.userSettingsFolder()).setValue("Offsite/Password", "pw").ok);
        QSignalSpy copies(p.app.get(), &BackupApplication::offsiteResult);
        // Only the stalling copy gets the short limit: a loaded machine may take longer
        // than that to start the failing one.
        using Night = std::pair<const char*, std::chrono::seconds>;
        for (const auto& [mode, stallLimit] :
             {Night{"stall", std::chrono::seconds(1)}, Night{"fail", std::chrono::seconds(30)}}) {
            p.app->offsite().limits = {stallLimit, std::chrono::milliseconds(50)};
            restic.setMode(mode);
            p.clock.set(QDateTime(p.clock.now().date().addDays(1), QTime(3, 0, 20)));
            p.tick();
            QVERIFY(copies.wait(20000));
        }
        QTRY_COMPARE(notifier.sends().size(), 2);
        const NotifyMessage stalled = notifier.sends()[0].message;
        const NotifyMessage failed = notifier.sends()[1].message;
        QCOMPARE(stalled.subject, QStringLiteral("Off-site copy FAILED"));
        QVERIFY2(stalled.text.endsWith(": no progress for 1 second."), qPrintable(stalled.text));
        QVERIFY2(failed.text.endsWith(": unable to save snapshot: connection refused."),
                 qPrintable(failed.text));
        const QList<HistoryEntry> runs = p.app->history().runs();
        QCOMPARE(runs.size(), 2);
        QCOMPARE(runs[0].run.offsite->reason, QStringLiteral("no progress for 1 second"));
        QVERIFY(runs[1].run.offsite->errors.contains("error in cleanup handler"));
    }

    void fullHourTickSendsTheReportAndShowsItsOutcome() {
        Program p;
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        textThrough(p, server);
        sellForCash(p);
        p.start();
        QVERIFY(p.form().SSCommand5->styleSheet().contains("#00c000"));

        p.clock.set(QDateTime(QDate(2026, 12, 7), QTime(10, 0, 30)));
        p.app->scheduler().SchedulerTick();
        QTRY_COMPARE(server.received().size(), 1);
        QTRY_VERIFY(!p.app->texting().cycleRunning());
        QVERIFY(server.received()[0].plainPart.contains(" is $7.50 on Monday December 07 2026"));
        QVERIFY(p.form().SSPanel6->text().startsWith("Text Message sent Sucessfully on Monday"));
        QVERIFY(p.drives.readFile('c', "Tillora/TxtMsg.log").startsWith("Text Sucessfully Sent"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!p.app->texting().texter()); // unloaded after the cycle

        // A quarter past: nothing is sent.
        p.clock.set(QDateTime(QDate(2026, 12, 7), QTime(10, 15, 30)));
        p.app->scheduler().SchedulerTick();
        QTest::qWait(50);
        QCOMPARE(server.received().size(), 1);
    }

    // The copy runs on its own thread: a report due while it copies goes out on time, and
    // the copy does not wait for the report.
    void aReportDueDuringBackupNowGoesOutOnTime() {
        Program p;
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        textThrough(p, server);
        sellForCash(p);
        p.start();
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        p.app->engine().setCopyObserver([released](CopyStage stage) {
            if (stage == CopyStage::NewCopyWritten)
                released.wait_for(std::chrono::seconds(30)); // held mid-copy by the test
        });
        QSignalSpy results(p.app.get(), &BackupApplication::backupResult);
        p.form().SSCommand3->click();

        p.clock.set(QDateTime(QDate(2026, 12, 7), QTime(10, 0, 30)));
        p.app->scheduler().SchedulerTick();
        QTRY_COMPARE(server.received().size(), 1);
        QVERIFY(results.isEmpty()); // the backup is still copying
        release.set_value();
        QVERIFY(results.wait(30000));
        QCOMPARE(p.drives.readFile('e', "TLRAbackup/Tillora/Sales/day.dat"), QByteArray("sales"));
    }

    void aNightTickAfterTheRunAsksNothingAndTheNextHourStillReports() {
        Program p;
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        textThrough(p, server);
        QByteArray settings = p.drives.readFile('c', "Tillora/ini/Autobackup.dat");
        p.drives.writeFile('c', "Tillora/ini/Autobackup.dat",
                           settings.replace("\"3:00 am\"", "\"9:00 am\""));
        p.start();
        // The backup ends 2 s into its minute; the next tick comes 55 s later, same minute.
        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 0, 0)));
        p.tick();
        QCOMPARE(p.form().Text2->text(), QStringLiteral("12/8/2026"));
        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 0, 57)));
        p.app->scheduler().SchedulerTick();
        QVERIFY(p.prompts.asked.isEmpty());
        QVERIFY(p.app->scheduler().timer().isActive());

        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 40)));
        p.app->scheduler().SchedulerTick();
        // The sales total fails here: the cycle waits out its 10 s watchdog first.
        QTRY_COMPARE_WITH_TIMEOUT(server.received().size(), 1, 20000);
    }

    void aSaveFailingInARunIsToldWithoutBlocking() {
        Program p;
        p.start();
        p.app->values().DataDIR = QStringLiteral("q:\\Tillora\\");
        p.backupNow();
        QVERIFY(p.prompts.asked.isEmpty());
        QCOMPARE(p.prompts.notified.size(), 1);
        QCOMPARE(p.prompts.notified[0].title, QStringLiteral("Settings not Saved"));
    }

    void everyRunIsRecordedAndAMissedNightIsMadeUp() {
        Program p;
        ProgramValues values;
        BackupRunResult before;
        before.started = QDateTime(QDate(2026, 12, 6), QTime(3, 0, 10));
        before.finished = before.started.addSecs(30);
        QVERIFY(BackupHistoryLog(p.platform, values).record(before));
        const auto runs = [&] { return p.app->history().runs(); };

        // Switched off last night and started at 9:00: the night is made up unasked.
        p.clock.set(QDateTime(QDate(2026, 12, 7), QTime(9, 0)));
        p.catchUpDelay = std::chrono::milliseconds(10);
        p.start();
        QCOMPARE(p.form().LastRunLabel->text(), QStringLiteral("3:00 am: 0 files, 0 bytes, 30 s"));
        QTRY_COMPARE(runs().size(), 2);
        QCOMPARE(runs().last().run.trigger, RunTrigger::CatchUp);
        QCOMPARE(p.drives.readFile('e', "TLRAbackup/Tillora/Sales/day.dat"), QByteArray("sales"));
        QVERIFY(p.form().LastRunLabel->text().startsWith("9:00 am: "));
        QVERIFY(p.prompts.asked.isEmpty());

        // A tick held past 3:00 with the drive unplugged: made up at once, and it fails red.
        p.drives.pullDrive('e');
        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(2, 59, 30)));
        p.app->scheduler().SchedulerTick();
        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(3, 1, 10)));
        p.app->scheduler().SchedulerTick();
        QTRY_COMPARE(runs().size(), 3);
        QCOMPARE(runs().last().run.outcome, RunOutcome::DestinationUnavailable);
        QCOMPARE(p.form().LastRunLabel->text(), QStringLiteral("3:01 am: backup drive not found"));
        QCOMPARE(p.form().LastRunLabel->palette().windowText().color(), QColor(255, 0, 0));
        QVERIFY(p.prompts.asked.isEmpty());

        // Made up once, even in vain: the next tick does not try again.
        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(3, 2, 5)));
        p.app->scheduler().SchedulerTick();
        // Unticked, a night slept through the next day stays missed.
        p.form().CatchUpBox->click();
        QVERIFY(p.drives.readFile('c', "Tillora/ini/BackupOptions.ini")
                    .contains("CatchUpMissedRun=false"));
        p.clock.set(QDateTime(QDate(2026, 12, 9), QTime(7, 30)));
        p.app->scheduler().SchedulerTick();
        QTest::qWait(20);
        QCOMPARE(runs().size(), 3);

        // A history that cannot be written (a full disk) does not undo the backup.
        p.drives.addDrive('e');
        const QString log = p.drives.root('c') + "/Tillora/ini/BackupHistory.log";
        QVERIFY(QFile::remove(log) && QDir().mkdir(log));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("history was not written"));
        p.backupNow();
        QCOMPARE(p.form().Text2->text(), QStringLiteral("12/9/2026"));
        QVERIFY(p.form().LastRunLabel->text().startsWith("7:30 am: "));
        QVERIFY(p.prompts.asked.isEmpty());
    }

    // A folder where the history belongs is told at start-up, and nothing waits for anyone.
    void aFolderInPlaceOfAFileIsToldAtStartUp() {
        Program p;
        QVERIFY(QDir().mkpath(p.drives.root('c') + "/Tillora/ini/BackupHistory.log"));
        p.start();
        QVERIFY(p.form().LastRunLabel->text().startsWith(
            "c:\\Tillora\\ini\\BackupHistory.log is a folder, not a file"));
        QVERIFY(p.prompts.asked.isEmpty() && p.prompts.notified.isEmpty());
    }

    // The night's run finds the backup drive unplugged: the owner is told, and what push
    // could not take waits in the outbox in the user's own settings folder.
    void aFailedNightRunAlertsTheOwner() {
        Program p;
        RecordingNotifier notifier;
        notifier.setDown(Channel::Push, true);
        p.start();
        p.app->enableAlerts(notifier);
        QSignalSpy sent(&p.app->alerts()->dispatcher(), &AlertDispatcher::sendFinished);
        p.drives.pullDrive('e');
        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(3, 0, 40)));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not sent by push"));
        p.app->scheduler().SchedulerTick();
        QVERIFY(sent.wait());
        QCOMPARE(notifier.sends().size(), 1);
        QCOMPARE(notifier.sends()[0].message.subject, QStringLiteral("Backup FAILED"));
        QVERIFY(notifier.sends()[0].message.text.contains("backup drive not found"));
        QVERIFY(outboxOf(p).contains("\"push\""));
    }

    // The drive unplugged from before the night's minute until 9:00: one alert however
    // often the night is tried, and one message when it is made up after all.
    void aNightWithoutItsDriveAlertsOnceAndIsMadeUpWhenItComesBack() {
        Program p;
        BackupRunResult lastNight;
        lastNight.started = QDateTime(QDate(2026, 12, 7), QTime(3, 0, 10));
        lastNight.finished = lastNight.started.addSecs(30);
        QVERIFY(BackupHistoryLog(p.platform, ProgramValues()).record(lastNight));
        RecordingNotifier notifier;
        p.drives.pullDrive('e');
        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(2, 58, 30)));
        p.catchUpDelay = std::chrono::milliseconds(300);
        p.start();
        p.app->enableAlerts(notifier);
        const auto tickAt = [&](int hour, int minute, int second) {
            p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(hour, minute, second)));
            p.app->scheduler().SchedulerTick();
        };
        const auto runs = [&] { return p.app->history().runs().size(); };
        p.awaitRun([&] { tickAt(3, 0, 5); });
        tickAt(3, 0, 59);
        QTest::qWait(500); // the catch-up of the start has looked
        QTRY_COMPARE(notifier.sends().size(), 1);
        QCOMPARE(runs(), 2);

        p.drives.addDrive('e', QStringLiteral("BACKUP"));
        p.awaitRun([&] { tickAt(9, 0, 40); });
        QTRY_COMPARE(notifier.sends().size(), 2);
        QCOMPARE(notifier.sends()[1].message.subject, QStringLiteral("Backup OK"));
        QCOMPARE(notifier.sends()[1].message.text,
                 QStringLiteral("Backup completed at 9:00 am, after the backup drive came back"));
        tickAt(9, 1, 35);
        QTest::qWait(50);
        QCOMPARE(runs(), 3);
        QCOMPARE(notifier.sends().size(), 2);
    }

    // The watcher outside the PC hears of the nights alone: start and fail when the drive
    // is missing, the fail tried again until it is noted in the history (without the
    // URL's key), an Uptime Kuma monitor's "up" for the night made up once the drive is
    // back, nothing for Backup Now.
    void theNightlyRunsPingTheWatcher() {
        using namespace std::chrono_literals;
        HttpsTestServer server(QStringLiteral("200,500,500,500,500,500,500,200"));
        QVERIFY2(server.started(), qPrintable(server.error()));
        Program p;
        const auto watchAt = [&](const QString& url) {
            QVERIFY(SecretStore(p.platform.userSettingsFolder()).setValue(MonitorPingUrlKey, url));
        };
        watchAt(server.url() + "/ping/c4ec-key/");
        p.drives.pullDrive('e');
        p.start();
        p.app->monitor()->setCaFile(server.certificateFile());
        p.app->monitor()->setRetries({10ms, 20ms, 30ms, 40ms, 50ms});
        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(3, 0, 40)));
        p.tick();
        const auto history = [&] {
            return p.drives.readFile('c', "Tillora/ini/BackupHistory.log");
        };
        QTRY_VERIFY(history().contains("The monitor's fail ping of the 3:00 am run was not "
                                       "delivered after 6 tries: HTTP 500"));
        QVERIFY(!history().contains("c4ec-key"));
        QList<ReceivedRequest> pings = server.received();
        QCOMPARE(pings.size(), 7);
        QCOMPARE(pings[0].path, QStringLiteral("/ping/c4ec-key/start"));
        QCOMPARE(pings[6].path, QStringLiteral("/ping/c4ec-key/fail"));
        QVERIFY(pings[6].body.startsWith("3:00 am: backup drive not found\n"));

        watchAt(server.url() + "/api/push/K9?status=up&msg=OK&ping=");
        p.drives.addDrive('e', QStringLiteral("BACKUP"));
        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 0, 40)));
        p.tick();
        QTRY_COMPARE(server.received().size(), 8);
        const ReceivedRequest up = server.received().last();
        QCOMPARE(up.method, QStringLiteral("GET"));
        QVERIFY(up.path.startsWith("/api/push/K9?status=up&msg=9%3A00%20am%3A%20"));
        p.backupNow();
        QTest::qWait(200);
        QCOMPARE(server.received().size(), 8);
    }

    // A day with totals and a night's run; the day is closed in the afternoon. The summary
    // goes out at its time, once across a restart, with the day's highest sales against
    // last Tuesday's by the same time; a PC off at that time sends it at its next start.
    void theDaySummaryGoesOutOnceADayAtItsTime() {
        HttpsTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        Program p;
        pushOnlyTo(p, server);
        p.drives.writeFile('c', "Tillora/ini/Notify.ini",
                           p.drives.readFile('c', "Tillora/ini/Notify.ini") +
                               "[Summary]\nEnabled=true\n");
        p.drives.writeFile('c', "Tillora/ini/MobileText.dat", mobileTextFile()); // to 5:00 pm
        p.drives.writeFile('c', "Tillora/ini/SalesDays.log",
                           "{\"date\":\"2026-12-01\",\"time\":\"17:15:00\",\"sales\":6}\n"
                           "{\"date\":\"2026-12-01\",\"time\":\"21:00:00\",\"sales\":50}\n"
                           "{\"date\":\"2026-12-01\",\"ti\n");
        sellForCash(p);
        p.start();
        const auto at = [&](int day, QTime time) {
            p.clock.set(QDateTime(QDate(2026, 12, day), time));
        };
        at(8, QTime(3, 0, 40));
        p.tick();
        at(8, QTime(10, 0, 30));
        p.app->scheduler().SchedulerTick();
        QTRY_COMPARE(server.received().size(), 1); // the hourly sales report: $7.50
        QTRY_VERIFY(!p.app->texting().cycleRunning());
        p.drives.writeFile('c', "Tillora/TDTenders.daT",
                           "\"T\",\"CASH\",2,1,\"\",\"\",0,0,0,0,0,\"\",\"\",1\r\n");

        at(8, QTime(17, 14, 50));
        p.app->daySummary()->checkTime();
        at(8, QTime(17, 15, 30));
        p.app->daySummary()->checkTime();
        QTRY_COMPARE(server.received().size(), 2);
        const ReceivedRequest summary = server.received().last();
        QVERIFY(summary.header("Title").contains("day summary Tue 12/8"));
        const QString body = QString::fromUtf8(summary.body);
        QVERIFY2(body.startsWith("Sales $7.50 (before the day was closed; last Tue $6.00 by this "
                                 "time, +25%)\n"),
                 qPrintable(body));
        QVERIFY(body.contains("\nBackup 3:00 am: "));
        QVERIFY(body.contains("\nBackup drive last fully read back: "));
        QVERIFY(p.drives.readFile('c', "Tillora/ini/SalesDays.log")
                    .endsWith("{\"date\":\"2026-12-08\",\"sales\":2,\"time\":\"17:15:30\"}\n"));

        p.app.reset();
        at(8, QTime(17, 20));
        p.start();
        p.app->daySummary()->checkTime();
        QTest::qWait(300);
        QCOMPARE(server.received().size(), 2);

        p.app.reset();
        at(9, QTime(20, 0));
        p.start();
        p.app->daySummary()->checkTime();
        QTRY_COMPARE(server.received().size(), 3);
        QVERIFY(server.received().last().header("Title").contains("day summary Wed 12/9"));
    }

    // No box at start-up when the default settings cannot be written, nor at the end.
    void settingsThatCannotBeSavedHoldNeitherStartNorEnd() {
        Program p;
        QVERIFY(QDir(p.drives.root('c') + "/Tillora/ini").removeRecursively());
        p.drives.writeFile('c', "Tillora/ini", "a file where the folder goes");
        p.start();
        QVERIFY(p.app->scheduler().timer().isActive());
        QVERIFY(p.form().LastRunLabel->text().startsWith("Settings not Saved: "));

        Program q;
        q.start();
        const QString file = q.drives.root('c') + "/Tillora/ini/Autobackup.dat";
        QVERIFY(QFile::remove(file) && QDir().mkdir(file));
        bool ended = false;
        q.app->endProgram = [&] { ended = true; };
        q.form().SSCommand2->click(); // "End"
        QVERIFY(ended);
        for (const FakePrompts* prompts : {&p.prompts, &q.prompts}) {
            QVERIFY(prompts->asked.isEmpty());
            QCOMPARE(prompts->notified.last().title, QStringLiteral("Settings not Saved"));
        }
    }

    // "End" while the night's alert waits on a push server that never answers: the program
    // ends at once, and the alert goes out when it starts again.
    void endDuringAnAlertSendIsQuickAndTheAlertWaits() {
        HttpsTestServer stalled(QStringLiteral("stall"));
        HttpsTestServer up;
        QVERIFY2(stalled.started() && up.started(), qPrintable(stalled.error() + up.error()));
        Program p;
        pushOnlyTo(p, stalled);
        p.start();
        p.drives.pullDrive('e');
        p.clock.set(QDateTime(QDate(2026, 12, 8), QTime(3, 0, 40)));
        p.app->scheduler().SchedulerTick();
        QTRY_COMPARE_WITH_TIMEOUT(stalled.received().size(), 1, 10000);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("not sent by push"));
        QElapsedTimer ending;
        ending.start();
        p.form().SSCommand2->click(); // "End"
        p.app.reset();
        QVERIFY2(ending.elapsed() < 5000, qPrintable(QString::number(ending.elapsed())));
        QVERIFY(outboxOf(p).contains("\"push\""));

        pushOnlyTo(p, up);
        p.drives.addDrive('e', QStringLiteral("BACKUP"));
        p.start();
        QTRY_COMPARE_WITH_TIMEOUT(up.received().size(), 1, 10000);
        QCOMPARE(up.received()[0].header("Title"), QStringLiteral("Backup FAILED"));
    }
};

QTEST_MAIN(TestAppWiring)
#include "tst_app_wiring.moc"
