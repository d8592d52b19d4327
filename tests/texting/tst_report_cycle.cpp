// Whole report cycles on the real texter window, sent to a real SMTP server.
#include "FakePlatform.h"
#include "FakePrompts.h"
#include "FixedRecord.h"
#include "HourlyReportCheck.h"
#include "HttpsTestServer.h"
#include "ManualClock.h"
#include "ProgramValues.h"
#include "ReportCycle.h"
#include "SmtpTestServer.h"
#include "TLRAtxtMsg.h"
#include "TempDrives.h"
#include "TexterWindows.h"
#include "TextingTestData.h"
#include "TimeClockFiles.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

// A store with the point-of-sale files, two employees clocked in and the texter set up
// to send every report to the test server.
struct Store {
    TempDrives drives;
    std::unique_ptr<FakePlatform> platform;
    ProgramValues values;
    ManualClock clock{QDateTime(QDate(2026, 12, 7), QTime(15, 0, 40))};
    FakePrompts prompts;
    RecordingStatusPanel panel;
    QTemporaryDir secrets;
    std::unique_ptr<TexterMailRoute> route;
    std::unique_ptr<ChannelNotifier> notifier;
    std::unique_ptr<TexterWindows> windows;

    explicit Store(int port, const QString& caFile) {
        drives.addDrive('c');
        drives.writeFile('c', "Tillora/ini/MailServer.dat", mailServerRecord(drives, port, caFile));
        drives.writeFile('c', "Tillora/TDTenders.daT", tenderRecord("10.006") + tenderRecord("2"));
        drives.writeFile('c', "Tillora/ini/DiscountList.daT",
                         "\"D\",\"Senior\",3,\"x\",1.5,0,\"y\",1\r\n");
        drives.writeFile('c', "shiftra/Data/TSinout.dat",
                         clockRecord("7", "1") + clockRecord("9", "0") + clockRecord("12", "1"));
        drives.writeFile('c', "shiftra/Data/Zemployee.dat",
                         employeeRecord("7", "Ann Baker") + employeeRecord("12", "Eve Fox"));
        platform = std::make_unique<FakePlatform>(drives.driveFolder());
        values.CompanyName = QStringLiteral("Joe's Diner");
        route = std::make_unique<TexterMailRoute>(*platform, values);
        notifier = std::make_unique<ChannelNotifier>(*platform, values, *route);
        windows = std::make_unique<TexterWindows>(*platform, values, clock, prompts, panel, *route,
                                                  *notifier);
        windows->mail().setTimeouts(
            {std::chrono::milliseconds(3000), std::chrono::milliseconds(8000)});
        windows->notifier().setMailTimeouts(
            {std::chrono::milliseconds(3000), std::chrono::milliseconds(8000)});
        windows->notifier().setSecretStore(SecretStore(secrets.path()));
        windows->setReportTiming({std::chrono::milliseconds(600), std::chrono::milliseconds(300)});
        windows->loadHidden();
        TLRAtxtMsg* t = windows->texter();
        t->Check1->setChecked(true);
        t->Check2->setChecked(true);
        t->Check3->setChecked(true);
        t->Check5->setChecked(true);
        t->Text1->setText(QStringLiteral("555-123-4567"));
        t->Text3->setText(QStringLiteral("number@sms.store.test"));
        t->Text5->setText(QStringLiteral(" owner@store.test"));
        t->Text6->setText(QStringLiteral("secret-pass"));
    }
    QByteArray log() const { return drives.readFile('c', "Tillora/TxtMsg.log"); }

    // Push alone to `server`, as the owner sets it in Notify.ini, with its CA file.
    void pushOnlyTo(const HttpsTestServer& server) {
        drives.writeFile('c', "Tillora/ini/push-ca.pem", readAll(server.certificateFile()));
        drives.writeFile(
            'c', "Tillora/ini/Notify.ini",
            "[Gateway]\nEnabled=false\n[Push]\nEnabled=true\nServer=" + server.url().toUtf8() +
                "\nTopic=joes-diner-7Qx2\nCAFile=c:\\\\Tillora\\\\ini\\\\push-ca.pem\n");
    }
    static QByteArray readAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

// The three reports of a cycle at 3:00 pm: subject and text.
QList<QPair<QString, QString>> expectedReports() {
    const QString when = QStringLiteral(" on Monday December 07 2026 ");
    const QString trailer =
        QStringLiteral("\r\nThis Text message sent from Tillora, The professionals Choice.");
    return {{"Current Sales Total",
             "The current sales total for Joe's Diner is $12.01" + when + "at 03:00 PM" + trailer},
            {"Total Discounts Today",
             "The Discount Total for Joe's Diner today is $4.50" + when + "at 03:00 PM" + trailer},
            {"Clocked in Employees", "Currently clocked in at Joe's Diner are |" +
                                         QString("Ann Baker").leftJustified(30) + "\r\n|" +
                                         QString("Eve Fox").leftJustified(30) + "\r\n|" + when +
                                         "as of 03:00 PM" + trailer}};
}

void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestReportCycle : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void threeReportsArriveInOrder() {
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        Store store(server.port(), server.certificateFile());
        store.windows->Work_it();
        QTRY_VERIFY_WITH_TIMEOUT(!store.windows->cycleRunning(), 20000);
        settle();

        const QList<ReceivedMail> mails = server.received();
        QCOMPARE(mails.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(mails[i].header("Subject"), expectedReports()[i].first);
            QCOMPARE(mails[i].plainPart, expectedReports()[i].second);
        }
        for (const ReceivedMail& mail : mails) {
            QCOMPARE(mail.rcptTos, QStringList{"5551234567@sms.store.test"});
            QCOMPARE(mail.login, QStringLiteral("owner@store.test"));
        }
        QCOMPARE(store.log(),
                 QByteArray("Text Sucessfully Sent  on Monday 12/07/2026 at 03:00 PM\r\n"));
        QCOMPARE(store.panel.caption, QStringLiteral("Text Message sent Sucessfully on Monday "
                                                     "12/07/2026 at 03:00 PM\r\nWE ARE THE "
                                                     "PROFESSIONAL CHOICE"));
        QCOMPARE(store.panel.panelStyle, 0);
        QVERIFY(store.panel.mainShown);
        QVERIFY(!store.windows->texter()); // the cycle unloads the texter window
    }

    // Push alone: the gateway is off, so the placeholder number does not stop the cycle.
    void threeReportsArriveByPush() {
        HttpsTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        Store store(SmtpTestServer::unusedPort(), QString());
        store.pushOnlyTo(server);
        QVERIFY(store.windows->notifier().savePushToken("tk_store"));
        store.windows->texter()->Text1->setText(QStringLiteral("000-000-0000"));
        store.windows->Work_it();
        QTRY_VERIFY_WITH_TIMEOUT(!store.windows->cycleRunning(), 20000);
        settle();

        const QList<ReceivedRequest> got = server.received();
        QCOMPARE(got.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(got[i].path, QStringLiteral("/joes-diner-7Qx2"));
            QCOMPARE(got[i].header("Title"), expectedReports()[i].first);
            QCOMPARE(QString::fromUtf8(got[i].body), expectedReports()[i].second);
            QCOMPARE(got[i].header("Authorization"), QStringLiteral("Bearer tk_store"));
        }
        QCOMPARE(store.log(),
                 QByteArray("Text Sucessfully Sent  on Monday 12/07/2026 at 03:00 PM\r\n"));
        QCOMPARE(store.panel.panelStyle, 0);
    }

    // A refused token and a server that never answers are failures, each with its reason.
    void pushFailuresAreLogged() {
        for (const char* answer : {"401", "stall"}) {
            HttpsTestServer server(QString::fromLatin1(answer));
            QVERIFY2(server.started(), qPrintable(server.error()));
            Store store(SmtpTestServer::unusedPort(), QString());
            store.pushOnlyTo(server);
            store.windows->notifier().setPushLimits({std::chrono::milliseconds(1000),
                                                     std::chrono::milliseconds(1000),
                                                     std::chrono::milliseconds(100)});
            store.windows->texter()->Check3->setChecked(false);
            store.windows->texter()->Check5->setChecked(false);
            store.windows->Work_it();
            QTRY_VERIFY_WITH_TIMEOUT(!store.windows->cycleRunning(), 20000);
            settle();
            const QString log = QString::fromLatin1(store.log());
            const QString reason = qstrcmp(answer, "401") == 0
                                       ? QStringLiteral("HTTP 401 {\"code\":40101")
                                       : QStringLiteral("did not answer within 1 s");
            QVERIFY2(log.startsWith("Text FAILED to Send  on Monday 12/07/2026 at 03:00 PM: "
                                    "push: sales report: ") &&
                         log.contains(reason),
                     qPrintable(log));
            QCOMPARE(store.panel.colour, 255u);
        }
    }

    void missingTenderFileSendsFailed() {
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        Store store(server.port(), server.certificateFile());
        QFile::remove(store.drives.root('c') + "/Tillora/TDTenders.daT");
        store.windows->texter()->Check3->setChecked(false);
        store.windows->texter()->Check5->setChecked(false);
        QElapsedTimer timer;
        timer.start();
        store.windows->Work_it();
        QTRY_VERIFY_WITH_TIMEOUT(!store.windows->cycleRunning(), 20000);
        settle();
        QVERIFY(timer.elapsed() >= 550); // the watchdog's time, scaled down for the test
        const QList<ReceivedMail> mails = server.received();
        QCOMPARE(mails.size(), 1);
        QVERIFY(mails[0].plainPart.startsWith(
            "The current sales total for Joe's Diner is FAILED on Monday"));
        QVERIFY(store.log().startsWith("Text Sucessfully Sent"));
    }

    void refusedNumberAndServerDown() {
        {
            Store store(SmtpTestServer::unusedPort(), QString());
            store.windows->texter()->Text1->setText(QStringLiteral("123-4567"));
            store.windows->Work_it();
            QTRY_VERIFY_WITH_TIMEOUT(!store.windows->cycleRunning(), 20000);
            settle();
            QCOMPARE(store.log(), QByteArray());
            QCOMPARE(store.panel.caption,
                     QStringLiteral("Text Message FAILED. You cannot send to 123-4567"));
            QCOMPARE(store.panel.colour, 255u);
            // With no number at all, the gateway's "Send test" says that none is set.
            store.route->setLiveFields(TexterMailFields{{}, "number@sms.store.test", {}});
            QCOMPARE(store.route->smtpRoute().gatewayProblem,
                     QStringLiteral("No mobile number is set in the Moblie Texter window."));
        }
        {
            Store store(SmtpTestServer::unusedPort(), QString());
            store.windows->texter()->Check3->setChecked(false);
            store.windows->texter()->Check5->setChecked(false);
            store.windows->Work_it();
            QTRY_VERIFY_WITH_TIMEOUT(!store.windows->cycleRunning(), 20000);
            settle();
            const QByteArray log = store.log();
            QVERIFY2(log.startsWith("Text FAILED to Send  on Monday 12/07/2026 at 03:00 PM: "
                                    "gateway: sales report: "),
                     log.constData());
            QVERIFY(store.panel.caption.startsWith("Text Message FAILED. gateway: sales report: "));
            QCOMPARE(store.panel.colour, 255u);
        }
    }

    // The operator may press "Done" on the texter window while the cycle waits for a
    // total: the cycle finishes with the settings it started from.
    void texterClosedDuringTheCycle() {
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        Store store(server.port(), server.certificateFile());
        QFile::remove(store.drives.root('c') + "/Tillora/TDTenders.daT");
        TLRAtxtMsg* t = store.windows->texter();
        t->setAttribute(Qt::WA_DeleteOnClose);
        t->Check3->setChecked(false);
        t->Check5->setChecked(false);
        QTimer::singleShot(100, t, [t] { t->SSCommand1->click(); });
        store.windows->Work_it();
        QTRY_VERIFY_WITH_TIMEOUT(!store.windows->cycleRunning(), 20000);
        settle();
        const QList<ReceivedMail> mails = server.received();
        QCOMPARE(mails.size(), 1);
        QVERIFY(mails[0].plainPart.startsWith(
            "The current sales total for Joe's Diner is FAILED on Monday"));
        QVERIFY(store.log().startsWith("Text Sucessfully Sent"));
        QVERIFY(!store.windows->texter());
    }

    // At a full hour the check loads the texter window hidden, also when the operator has
    // it open and texting is off; at other minutes it leaves the window alone.
    void hourlyCheckHidesTheTexterWindow() {
        Store store(SmtpTestServer::unusedPort(), QString());
        store.windows->showSettings();
        TLRAtxtMsg* t = store.windows->texter();
        t->Check1->setChecked(false);
        bool cycleRan = false;
        HourlyReportCheck check(*store.windows, store.panel, store.clock,
                                [&](TexterView&) { cycleRan = true; });
        QVERIFY(!check.run(QStringLiteral("03:05 PM")));
        QVERIFY(t->isVisible());
        QVERIFY(!check.run(QStringLiteral("03:00 PM")));
        QCOMPARE(store.windows->texter(), t); // still loaded
        QVERIFY(!t->isVisible());
        QVERIFY(!cycleRan);
    }

    // A gateway that would add a recipient sends nothing and says why; a passing refusal
    // of the server is retried and leaves the usual success line.
    void gatewayCheckedAndPassingRefusalRetried() {
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        auto salesOnly = [](Store& store, const QString& gateway) {
            TLRAtxtMsg* t = store.windows->texter();
            t->Check3->setChecked(false);
            t->Check5->setChecked(false);
            t->Text3->setText(gateway);
        };
        {
            Store store(server.port(), server.certificateFile());
            salesOnly(store, QStringLiteral("number@sms.store.test,other@example.org"));
            store.windows->Work_it();
            QTRY_VERIFY_WITH_TIMEOUT(!store.windows->cycleRunning(), 20000);
            settle();
            QCOMPARE(server.received().size(), 0);
            QVERIFY2(store.log().contains(": sales report: The carrier gateway "
                                          "\"number@sms.store.test,other@example.org\" is not"),
                     store.log().constData());
            QCOMPARE(store.panel.colour, 255u);
        }
        Store store(server.port(), server.certificateFile());
        store.windows->mail().setTimeouts({std::chrono::milliseconds(3000),
                                           std::chrono::milliseconds(8000),
                                           std::chrono::milliseconds(300)});
        store.windows->notifier().setMailTimeouts({std::chrono::milliseconds(3000),
                                                   std::chrono::milliseconds(8000),
                                                   std::chrono::milliseconds(300)});
        salesOnly(store, QStringLiteral("number@busy-once.invalid"));
        store.windows->Work_it();
        QTRY_VERIFY_WITH_TIMEOUT(!store.windows->cycleRunning(), 20000);
        settle();
        QCOMPARE(server.received().size(), 1);
        QCOMPARE(store.log(),
                 QByteArray("Text Sucessfully Sent  on Monday 12/07/2026 at 03:00 PM\r\n"));
    }

    void noReportChosenStillLogs() {
        Store store(SmtpTestServer::unusedPort(), QString());
        TLRAtxtMsg* t = store.windows->texter();
        t->Check2->setChecked(false);
        t->Check3->setChecked(false);
        t->Check5->setChecked(false);
        store.windows->Work_it();
        QTRY_VERIFY_WITH_TIMEOUT(!store.windows->cycleRunning(), 20000);
        settle();
        QCOMPARE(store.log(),
                 QByteArray("Text Sucessfully Sent  on Monday 12/07/2026 at 03:00 PM\r\n"));
        QCOMPARE(store.panel.panelStyle, 0);
    }
};

QTEST_MAIN(TestReportCycle)
#include "tst_report_cycle.moc"
