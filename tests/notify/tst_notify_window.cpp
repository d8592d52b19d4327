// The window "Where reports go": what Save accepts and what "Send test" tells.
#include "ChannelNotifier.h"
#include "FakePlatform.h"
#include "FakePrompts.h"
#include "HttpsTestServer.h"
#include "NotifySettings.h"
#include "ProgramValues.h"
#include "TempDrives.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

class NoNumberRoute final : public SmtpRouteSource {
public:
    SmtpRoute smtpRoute() const override {
        return {{}, {}, {}, QStringLiteral("You cannot send to 000-000-0000")};
    }
};

struct Fixture {
    TempDrives drives;
    QTemporaryDir secrets;
    std::unique_ptr<FakePlatform> platform;
    ProgramValues values;
    NoNumberRoute route;
    FakePrompts prompts;
    std::unique_ptr<ChannelNotifier> notifier;
    std::unique_ptr<NotifySettings> window;

    Fixture() {
        drives.addDrive('c');
        platform = std::make_unique<FakePlatform>(drives.driveFolder());
        notifier = std::make_unique<ChannelNotifier>(*platform, values, route,
                                                     SecretStore(secrets.path()));
        window = std::make_unique<NotifySettings>(*notifier, prompts);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    // Push to a test server whose certificate is trusted through a CA file.
    void typePush(const HttpsTestServer& server) {
        QDir(drives.root('c')).mkpath("Tillora/ini");
        QFile::remove(drives.root('c') + "/Tillora/ini/ca.pem");
        QFile::copy(server.certificateFile(), drives.root('c') + "/Tillora/ini/ca.pem");
        window->pushServer->setText(server.url());
        window->pushCaFile->setText("c:\\Tillora\\ini\\ca.pem");
    }
};

} // namespace

class TestNotifyWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void saveRefusesBadFieldsAndKeepsWhatWasTyped() {
        Fixture f;
        NotifySettings& w = *f.window;
        QVERIFY(w.gatewayEnabled->isChecked() && !w.pushEnabled->isChecked());
        QCOMPARE(w.pushServer->text(), QStringLiteral("https://ntfy.sh"));
        QVERIFY(w.pushTopic->text().size() >= 20); // a random topic is proposed
        // The same one each time the window opens, until a topic is saved.
        QCOMPARE(NotifySettings(*f.notifier, f.prompts).pushTopic->text(), w.pushTopic->text());

        w.pushEnabled->setChecked(true);
        w.pushTopic->setText("sales figures!");
        QVERIFY(!w.save());
        QVERIFY(f.prompts.asked.last().text.startsWith("Topic:"));
        w.pushTopic->setText("joes-diner-7Qx2");
        w.emailEnabled->setChecked(true);
        w.emailTo->setText("owner@inbox.test; boss@inbox.test");
        QVERIFY(!w.save());
        QVERIFY(f.prompts.asked.last().text.startsWith("E-mail address:"));
        QVERIFY(!f.drives.exists('c', "Tillora/ini/Notify.ini"));
        QCOMPARE(w.pushTopic->text(), QStringLiteral("joes-diner-7Qx2")); // nothing typed is lost

        w.emailTo->setText("owner@inbox.test");
        w.pushToken->setText("tk_secret");
        QVERIFY(w.save());
        QCOMPARE(f.notifier->enabledChannels(),
                 (QList<Channel>{Channel::Gateway, Channel::Email, Channel::Push}));
        QCOMPARE(f.notifier->settings().pushTopic, QStringLiteral("joes-diner-7Qx2"));
        QCOMPARE(f.notifier->pushToken(), QStringLiteral("tk_secret"));
        QVERIFY(!f.drives.readFile('c', "Tillora/ini/Notify.ini").contains("tk_secret"));
    }

    // A result line of three lines takes room of its own: every field keeps its height.
    void aLongResultLineSqueezesNoField() {
        Fixture f;
        NotifySettings& w = *f.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.gatewayResult->setText("Not sent: Login denied by smtp.store.test: 535-5.7.8 Username "
                                 "and Password not accepted. Learn more at the help pages of "
                                 "your provider, under BadCredentials");
        QCoreApplication::sendPostedEvents();
        for (QWidget* field : {w.pushServer, w.pushTopic, w.pushToken, w.pushCaFile})
            QCOMPARE(field->height(), field->sizeHint().height());
    }

    void sendTestSaysWhatHappened() {
        Fixture f;
        NotifySettings& w = *f.window;
        // What is typed is tested before it is saved.
        HttpsTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        f.typePush(server);
        w.pushTopic->setText("typed-topic");
        QSignalSpy tested(&w, &NotifySettings::testFinished);
        w.pushTest->click();
        QVERIFY(tested.wait(10000));
        QCOMPARE(w.pushResult->text(), QStringLiteral("Sent."));
        QCOMPARE(server.received().size(), 1);
        QCOMPARE(server.received()[0].path, QStringLiteral("/typed-topic"));

        w.gatewayTest->click();
        QVERIFY(tested.wait(10000));
        QCOMPARE(w.gatewayResult->text(),
                 QStringLiteral("Not sent: You cannot send to 000-000-0000"));

        // A server that never answers: the window keeps working until the limit.
        HttpsTestServer stalled(QStringLiteral("stall"));
        QVERIFY2(stalled.started(), qPrintable(stalled.error()));
        f.typePush(stalled);
        f.notifier->setPushLimits({std::chrono::milliseconds(1000), std::chrono::milliseconds(1500),
                                   std::chrono::milliseconds(100)});
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(100);
        w.pushTest->click();
        QVERIFY(tested.wait(10000));
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        QVERIFY2(
            w.pushResult->text().startsWith("Not sent: the push server " + TestServerHost + ":"),
            qPrintable(w.pushResult->text()));
        QVERIFY(w.pushTest->isEnabled());
    }
};

QTEST_MAIN(TestNotifyWindow)
#include "tst_notify_window.moc"
