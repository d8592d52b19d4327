// The delivery channels against real servers on 127.0.0.1, and their settings file.
#include "ChannelNotifier.h"
#include "ClosedGateways.h"
#include "FakePlatform.h"
#include "HttpsTestServer.h"
#include "ProgramValues.h"
#include "SmtpTestServer.h"
#include "TempDrives.h"

#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

class FixedRoute final : public SmtpRouteSource {
public:
    SmtpRoute smtpRoute() const override { return route; }
    SmtpRoute route;
};

// A store whose Notify.ini the test writes, with its own secret store.
struct Store {
    TempDrives drives;
    QTemporaryDir secrets;
    std::unique_ptr<FakePlatform> platform;
    ProgramValues values;
    FixedRoute route;
    std::unique_ptr<ChannelNotifier> notifier;

    Store() {
        drives.addDrive('c');
        platform = std::make_unique<FakePlatform>(drives.driveFolder());
        notifier = std::make_unique<ChannelNotifier>(*platform, values, route,
                                                     SecretStore(secrets.path()));
        notifier->setPushLimits({std::chrono::milliseconds(2000), std::chrono::milliseconds(4000),
                                 std::chrono::milliseconds(100)});
    }
    // Push only, to `server`, trusting its certificate through a CA file on drive c.
    void pushTo(const HttpsTestServer& server) {
        QDir(drives.root('c')).mkpath("Tillora/ini");
        QFile::copy(server.certificateFile(), drives.root('c') + "/Tillora/ini/ca.pem");
        DeliverySettings s;
        s.gatewayEnabled = false;
        s.pushEnabled = true;
        s.pushServer = server.url();
        s.pushTopic = "store_42-sales";
        s.pushCaFile = "c:\\Tillora\\ini\\ca.pem";
        QVERIFY(notifier->saveSettings(s));
    }
    QByteArray iniBytes() const { return drives.readFile('c', "Tillora/ini/Notify.ini"); }
};

const NotifyMessage report{"Current Sales Total",
                           "The current sales total for Joe's Café is $12.01\r\nSecond line",
                           false};

} // namespace

class TestNotify : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pushCarriesTheMessageAndItsHeaders() {
        HttpsTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        Store store;
        store.pushTo(server);
        QVERIFY(store.notifier->savePushToken("tk_private_123"));
        QCOMPARE(store.notifier->enabledChannels(), QList<Channel>{Channel::Push});

        const QList<ChannelOutcome> outcomes = store.notifier->send(report);
        QCOMPARE(outcomes.size(), 1);
        QVERIFY2(outcomes[0].sent, qPrintable(outcomes[0].reason));
        QVERIFY(store.notifier->send({"Backup fehlgeschlagen – Laufwerk", "x", true})[0].sent);

        const QList<ReceivedRequest> got = server.received();
        QCOMPARE(got.size(), 2);
        QCOMPARE(got[0].method, QStringLiteral("POST"));
        QCOMPARE(got[0].path, QStringLiteral("/store_42-sales"));
        QCOMPARE(got[0].header("Title"), QStringLiteral("Current Sales Total"));
        QCOMPARE(got[0].header("Tags"), QStringLiteral("tillora"));
        QCOMPARE(got[0].header("Priority"), QStringLiteral("3"));
        QCOMPARE(got[0].header("Authorization"), QStringLiteral("Bearer tk_private_123"));
        QCOMPARE(got[0].body, report.text.toUtf8());
        // An alert: a warning with a higher priority; a non-ASCII title as an encoded word.
        QCOMPARE(got[1].header("Tags"), QStringLiteral("tillora,warning"));
        QCOMPARE(got[1].header("Priority"), QStringLiteral("4"));
        QCOMPARE(got[1].header("Title"),
                 "=?UTF-8?B?" + QString("Backup fehlgeschlagen – Laufwerk").toUtf8().toBase64() +
                     "?=");

        // The token stays out of the data folder.
        QVERIFY(!store.iniBytes().contains("tk_private"));
    }

    void pushFailuresSayWhy_data() {
        QTest::addColumn<QString>("answers");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("requests");
        QTest::newRow("server error, retried")
            << "500" << true << "HTTP 500 server trouble (retried)" << 2;
        QTest::newRow("busy once, then taken") << "429,200" << true << "" << 2;
        QTest::newRow("stalled") << "stall" << true << "did not answer within 1 s" << 1;
        QTest::newRow("untrusted certificate") << "200" << false << "is not trusted" << 0;
    }
    void pushFailuresSayWhy() {
        QFETCH(QString, answers);
        QFETCH(bool, trusted);
        QFETCH(QString, reason);
        QFETCH(int, requests);
        HttpsTestServer server(answers);
        QVERIFY2(server.started(), qPrintable(server.error()));
        Store store;
        store.pushTo(server);
        if (!trusted)
            QFile::remove(store.drives.root('c') + "/Tillora/ini/ca.pem");
        store.notifier->setPushLimits({std::chrono::milliseconds(1000),
                                       std::chrono::milliseconds(1000),
                                       std::chrono::milliseconds(100)});
        QElapsedTimer timer;
        timer.start();
        const ChannelOutcome outcome = store.notifier->send(report).first();
        QVERIFY(timer.elapsed() < 3000); // a stalled server fails at the limit, not later
        QCOMPARE(outcome.sent, reason.isEmpty());
        QVERIFY2(outcome.reason.contains(reason), qPrintable(outcome.reason));
        QTRY_COMPARE(server.received().size(), requests);
    }

    // A server that takes the TCP connection and never starts TLS: the connect limit ends it.
    void pushNamesTheLimitThatEndedIt() {
        SmtpTestServer mute(SmtpTestServer::Mode::Silent);
        QVERIFY2(mute.started(), qPrintable(mute.error()));
        const PushResult result = postToPush(
            {"https://" + TestServerHost + ":" + QString::number(mute.port()), "topic", {}, {}},
            report, {std::chrono::milliseconds(500), std::chrono::milliseconds(5000), {}});
        QVERIFY2(result.reason.contains("within 0.5 s (the connect limit)"),
                 qPrintable(result.reason));
    }

    // The data drive is gone at night: a push-only owner still gets the alert, told why.
    void theLastGoodSettingsStandInForAnUnreadableDataFolder() {
        HttpsTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        Store store;
        store.pushTo(server);
        QCOMPARE(store.notifier->enabledChannels(), QList<Channel>{Channel::Push});
        store.drives.pullDrive('c');
        QCOMPARE(store.notifier->enabledChannels(), QList<Channel>{Channel::Push});
        const ChannelOutcome outcome = store.notifier->send(report).first();
        QVERIFY2(outcome.sent, qPrintable(outcome.reason));
        QVERIFY(server.received().first().body.endsWith(
            "(c:\\Tillora\\ini\\ cannot be read: sent with the delivery settings last read "
            "from it.)"));
    }

    void emailAndPushTogether() {
        SmtpTestServer mail;
        QVERIFY2(mail.started(), qPrintable(mail.error()));
        HttpsTestServer push;
        QVERIFY2(push.started(), qPrintable(push.error()));
        Store store;
        store.pushTo(push);
        DeliverySettings s = store.notifier->settings();
        s.gatewayEnabled = true;
        s.emailEnabled = true;
        s.emailTo = "owner@inbox.test";
        QVERIFY(store.notifier->saveSettings(s));
        store.route.route = {{TestServerHost, mail.port(), mail.certificateFile()},
                             {"owner@store.test", "secret-pass"},
                             {},
                             "You cannot send to 000-000-0000"};

        const QList<ChannelOutcome> outcomes = store.notifier->send(report);
        QCOMPARE(outcomes.size(), 3);
        QCOMPARE(outcomes[0].channel, Channel::Gateway);
        QVERIFY(!outcomes[0].sent);
        QCOMPARE(outcomes[0].reason, QStringLiteral("You cannot send to 000-000-0000"));
        QVERIFY2(outcomes[1].sent && outcomes[2].sent, qPrintable(outcomes[1].reason));
        QCOMPARE(mail.received().size(), 1);
        QCOMPARE(mail.received()[0].rcptTos, QStringList{"owner@inbox.test"});
        QCOMPARE(mail.received()[0].header("Subject"), report.subject);
        QCOMPARE(mail.received()[0].plainPart, report.text);
        QCOMPARE(push.received().size(), 1);
    }

    void settingsFile() {
        Store store;
        // No file: the carrier gateway alone, as before there was a choice.
        QCOMPARE(store.notifier->enabledChannels(), QList<Channel>{Channel::Gateway});

        store.drives.writeFile('c', "Tillora/ini/Notify.ini",
                               "[Alerts]\nStaleAfterDays=3\n"
                               "[Email]\nEnabled=perhaps\nTo=\"a@b.test, boss@b.test\"\n"
                               "[Push]\nEnabled=true\nServer=ftp://example.test\nTopic=x\n");
        DeliverySettings s = store.notifier->settings();
        QVERIFY(s.gatewayEnabled && !s.emailEnabled && s.pushEnabled);
        // Damaged recipients are refused, never guessed at.
        const QList<ChannelOutcome> refused =
            store.notifier->send(report, {Channel::Email, Channel::Push});
        QVERIFY(refused[0].reason.startsWith("E-mail address:"));
        QVERIFY(refused[1].reason.startsWith("Push server:"));

        s.pushServer = "https://ntfy.sh";
        s.pushCaFile = "c:\\Tillora\\ini\\ca.pem";
        QVERIFY(store.notifier->saveSettings(s));
        QCOMPARE(store.notifier->settings(), s);
        const QByteArray bytes = store.iniBytes();
        QVERIFY(bytes.contains("CAFile=c:\\\\Tillora\\\\ini\\\\ca.pem"));
        QVERIFY(bytes.contains("StaleAfterDays=3")); // other groups are kept
        const auto permissions =
            QFile::permissions(store.drives.root('c') + "/Tillora/ini/Notify.ini");
        QVERIFY(permissions & QFileDevice::ReadOwner);
        if (PermissionBitsAreKept)
            QCOMPARE(int(permissions & 0x0077), 0); // nothing for group and others
    }

    // What could add a recipient, a header or a password to a file is refused.
    void fieldChecksRefuseInjection() {
        for (const char* bad :
             {"a@b.test;c@d.test", "Owner <o@b.test>", "o@b.test\r\nBcc: x@y.test"})
            QVERIFY2(!emailAddressProblem(bad).isEmpty(), bad);
        QVERIFY(pushServerProblem("http://127.0.0.1:8080").isEmpty());
        for (const char* bad : {"http://ntfy.sh", "https://user:pw@ntfy.sh"})
            QVERIFY2(!pushServerProblem(bad).isEmpty(), bad);
        QVERIFY(!pushTopicProblem("../admin").isEmpty());
        QVERIFY(!pushTopicProblem(QString(65, 'a')).isEmpty());
    }

    // A gateway that closes later is "closing" until its day, then "stopped".
    void closedGatewayWarningFollowsTheDate() {
        QVERIFY(closedGatewayWarning("number@vtext.com", QDate(2027, 3, 30)).contains("closes on"));
        QVERIFY(closedGatewayWarning("number@vtext.com", QDate(2027, 3, 31))
                    .contains("stopped delivering e-mail texts in March 2027"));
    }
};

QTEST_GUILESS_MAIN(TestNotify)
#include "tst_notify.moc"
