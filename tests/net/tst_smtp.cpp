// Mail submission against a real SMTP server with implicit TLS and required login.
#include "AsyncTask.h"
#include "MailAddress.h"
#include "SmtpClient.h"
#include "SmtpTestServer.h"
#include "TestServerProcess.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using namespace tillora;
using tillora::test::SmtpTestServer;
using tillora::test::TestServerHost;

namespace {

// The CA file of a client that must not trust the test server: none, so the system store
// decides, or where that store takes anything, another certificate's.
QString untrustingCaFile() {
    if (tillora::test::SystemStoreChecksCertificates)
        return {};
    static QTemporaryDir other;
    QString error;
    static const bool made = tillora::test::makeTestCertificate(other.path(), error);
    return made ? other.filePath(QStringLiteral("cert.pem")) : QString();
}

MailServer localServer(const SmtpTestServer& server, bool trustTestCertificate = true) {
    return {TestServerHost, server.port(),
            trustTestCertificate ? server.certificateFile() : untrustingCaFile()};
}

const MailAccount owner{QStringLiteral(" owner@store.test "), QStringLiteral("secret-pass")};

MailMessage sampleMessage() {
    return {QStringLiteral("5551234567@txt.example.net"), QStringLiteral(" owner@store.test"),
            QStringLiteral("Current Sales Total"),
            QStringLiteral("Sales at Joe's <Diner> & Grill are $1,234.50\r\nSecond line"),
            QDateTime(QDate(2026, 12, 7), QTime(15, 0))};
}

} // namespace

class TestSmtp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void deliversBothPartsWithTheHeadersAndTrimmedLogin() {
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        const MailResult result = SmtpClient(localServer(server)).send(owner, sampleMessage());
        QVERIFY2(result.ok(), qPrintable(result.reason));

        const auto mails = server.received();
        QCOMPARE(mails.size(), 1);
        const auto& mail = mails.first();
        QCOMPARE(mail.login, QStringLiteral("owner@store.test"));
        QCOMPARE(mail.mailFrom, QStringLiteral("owner@store.test"));
        QCOMPARE(mail.rcptTos, QStringList{"5551234567@txt.example.net"});
        QCOMPARE(mail.contentType, QStringLiteral("multipart/alternative"));
        QCOMPARE(mail.header("To"), QStringLiteral("5551234567@txt.example.net"));
        // From and Reply-To keep the field as typed, leading blank included.
        QCOMPARE(mail.header("From"), QStringLiteral(" owner@store.test"));
        QCOMPARE(mail.header("Reply-To"), QStringLiteral(" owner@store.test"));
        QCOMPARE(mail.header("Sender"), QStringLiteral("Computer Name"));
        QCOMPARE(mail.header("Organization"), QStringLiteral("Varnell and Vavarurode"));
        QCOMPARE(mail.header("Subject"), QStringLiteral("Current Sales Total"));
        QVERIFY(mail.header("Date").contains("07 Dec 2026 15:00:00"));
        QVERIFY(mail.header("Message-ID").endsWith("@store.test>"));
        const QByteArray head = mail.raw.left(mail.raw.indexOf("\r\n\r\n"));
        QCOMPARE(head.count("Content-Type:"), 1);
        QCOMPARE(mail.plainPart, sampleMessage().body);
        QCOMPARE(mail.htmlPart, QStringLiteral("Sales at Joe's &lt;Diner&gt; &amp; Grill are "
                                               "$1,234.50<br>\r\nSecond line"));
    }

    void headerValuesCannotInjectHeaders() {
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        MailMessage message = sampleMessage();
        message.subject = QStringLiteral("Sales report\r\nBcc: victim@else.test");
        message.from = QStringLiteral("owner@store.test\nX-Injected: yes");
        QVERIFY(SmtpClient(localServer(server)).send(owner, message).ok());
        const auto mail = server.received().value(0);
        QVERIFY(mail.header("Bcc").isEmpty());
        QVERIFY(mail.header("X-Injected").isEmpty());
        QCOMPARE(mail.header("Subject"), QStringLiteral("Sales report  Bcc: victim@else.test"));
        QCOMPARE(mail.rcptTos, QStringList{"5551234567@txt.example.net"});
    }

    void failuresNameTheirReason() {
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));

        MailResult wrongPassword =
            SmtpClient(localServer(server))
                .send({owner.user, QStringLiteral("wrong")}, sampleMessage());
        QCOMPARE(wrongPassword.failure, MailFailure::LoginRefused);
        QVERIFY(wrongPassword.reason.contains("refused the login of owner@store.test"));

        // No CA file configured: the system store does not know the test certificate.
        MailResult untrusted = SmtpClient(localServer(server, false)).send(owner, sampleMessage());
        QCOMPARE(untrusted.failure, MailFailure::CertificateNotTrusted);

        MailMessage refused = sampleMessage();
        refused.to = QStringLiteral("nobody@refused.invalid");
        MailResult recipient = SmtpClient(localServer(server)).send(owner, refused);
        QCOMPARE(recipient.failure, MailFailure::RecipientRefused);
        QVERIFY(recipient.reason.contains("nobody@refused.invalid"));

        QCOMPARE(SmtpClient(localServer(server)).send({}, sampleMessage()).failure,
                 MailFailure::NoAccount);
        QCOMPARE(server.received().size(), 0);

        const int closedPort = SmtpTestServer::unusedPort();
        QVERIFY(closedPort > 0);
        MailResult unreachable =
            SmtpClient({TestServerHost, closedPort, {}}).send(owner, sampleMessage());
        QCOMPARE(unreachable.failure, MailFailure::Unreachable);
    }

    void silentServerGivesUpWhileTheEventLoopRuns() {
        SmtpTestServer silent(SmtpTestServer::Mode::Silent);
        QVERIFY2(silent.started(), qPrintable(silent.error()));
        const SmtpClient client({TestServerHost, silent.port(), {}},
                                {std::chrono::milliseconds(1500), std::chrono::milliseconds(3000)});
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(100);
        QElapsedTimer elapsed;
        elapsed.start();
        std::optional<MailResult> result;
        QObject context;
        runInBackground(
            &context, [&] { return client.sendRetryingOnce(owner, sampleMessage()); },
            [&](const MailResult& answer) { result = answer; });
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 10000);
        QCOMPARE(result->failure, MailFailure::TimedOut);
        QVERIFY(elapsed.elapsed() < 5000);
        QVERIFY2(ticks >= 8, qPrintable(QString::number(ticks))); // the window thread kept going
    }

    // The server takes the whole message and then never finishes its reply: the exchange
    // still ends at its limit, not at libcurl's own (much longer) reply timeout.
    void stalledReplyEndsAtTheDeadline_data() {
        QTest::addColumn<QString>("to");
        QTest::newRow("silent") << "5551234567@stall.invalid";
        QTest::newRow("trickle of 250- lines") << "5551234567@trickle.invalid";
    }
    void stalledReplyEndsAtTheDeadline() {
        QFETCH(QString, to);
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        const SmtpClient client(localServer(server),
                                {std::chrono::milliseconds(1500), std::chrono::milliseconds(4000)});
        MailMessage message = sampleMessage();
        message.to = to;
        QElapsedTimer elapsed;
        elapsed.start();
        const MailResult result = client.send(owner, message);
        QCOMPARE(result.failure, MailFailure::TimedOut);
        QVERIFY(!result.temporary);
        // libcurl's reply timeout (3 s here) ends the wait for the message's answer; the
        // answer to QUIT is not waited for again.
        QVERIFY2(elapsed.elapsed() < 4500, qPrintable(QString::number(elapsed.elapsed())));
    }

    void refusalAfterTheMessageIsRetriedOnlyWhenTemporary() {
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        MailTimeouts timeouts;
        timeouts.retryAfter = std::chrono::milliseconds(400);
        const SmtpClient client(localServer(server), timeouts);
        auto sendTo = [&](const QString& to) {
            MailMessage message = sampleMessage();
            message.to = to;
            return client.sendRetryingOnce(owner, message);
        };
        QElapsedTimer elapsed;

        elapsed.start();
        const MailResult passing = sendTo(QStringLiteral("5551234567@busy-once.invalid"));
        QVERIFY2(passing.ok(), qPrintable(passing.reason));
        QVERIFY(elapsed.elapsed() >= 400);
        QCOMPARE(server.received().size(), 1);

        const MailResult busy = sendTo(QStringLiteral("5551234567@busy.invalid"));
        QCOMPARE(busy.failure, MailFailure::MessageRefused);
        QVERIFY2(busy.reason.contains("(451 4.3.0 Mail system busy, try again later)"),
                 qPrintable(busy.reason));
        QVERIFY(busy.reason.contains("Retried once"));

        timeouts.retryAfter = std::chrono::seconds(30); // a retry would show in the time taken
        elapsed.restart();
        const MailResult rejected =
            SmtpClient(localServer(server), timeouts)
                .sendRetryingOnce(owner, {QStringLiteral("5551234567@reject.invalid"),
                                          owner.user,
                                          QStringLiteral("s"),
                                          QStringLiteral("b"),
                                          {}});
        QCOMPARE(rejected.failure, MailFailure::MessageRefused);
        QVERIFY2(rejected.reason.contains("(554 5.6.0 Message content rejected)"),
                 qPrintable(rejected.reason));
        QVERIFY(!rejected.reason.contains("Retried"));
        QVERIFY(!rejected.reason.contains("Weird"));
        QVERIFY(elapsed.elapsed() < 10000);
        QCOMPARE(server.received().size(), 1);
    }

    void recipientsAreSingleAddresses() {
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        for (const char* to :
             {"5551234567@txt.example.net>, NOTIFY=SUCCESS", "ok@store.test; two words@store.test",
              "5551234567@bad_domain.test", "@txt.example.net"}) {
            MailMessage message = sampleMessage();
            message.to = QString::fromLatin1(to);
            QCOMPARE(SmtpClient(localServer(server)).send(owner, message).failure,
                     MailFailure::InvalidRecipient);
        }
        QCOMPARE(server.received().size(), 0);
    }

    void mailAddressRules_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("domain");
        QTest::addColumn<bool>("address");
        QTest::newRow("domain") << "txt.example-1.net" << true << false;
        QTest::newRow("address") << "5551234567@txt.example.net" << false << true;
        QTest::newRow("second recipient") << "sms.example.net,other@example.org" << false << false;
        QTest::newRow("angle bracket") << "sms.example.net>x" << false << false;
        QTest::newRow("blank") << "sms.example .net" << false << false;
        QTest::newRow("empty label") << "sms..net" << false << false;
        QTest::newRow("trailing dot") << "sms.net." << false << false;
        QTest::newRow("two at signs") << "a@b@sms.net" << false << false;
        QTest::newRow("non-ascii") << QString::fromUtf8("sms.exämple.net") << false << false;
        QTest::newRow("empty") << "" << false << false;
    }
    void mailAddressRules() {
        QFETCH(QString, text);
        QFETCH(bool, domain);
        QFETCH(bool, address);
        QCOMPARE(isMailDomain(text), domain);
        QCOMPARE(isSingleMailAddress(text), address);
    }

    void sendsInTheBackgroundAndReturnsTheResult() {
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        const MailResult result =
            SmtpClient(localServer(server)).sendRetryingOnce(owner, sampleMessage());
        QVERIFY2(result.ok(), qPrintable(result.reason));
        QCOMPARE(server.received().size(), 1);
    }

    // A submission server on the STARTTLS port: plain at first, TLS before the login.
    void startTlsServerTakesTheMessage() {
        SmtpTestServer server(SmtpTestServer::Mode::StartTls);
        QVERIFY2(server.started(), qPrintable(server.error()));
        MailServer starting = localServer(server);
        starting.startTls = true;
        const MailResult result = SmtpClient(starting).send(owner, sampleMessage());
        QVERIFY2(result.ok(), qPrintable(result.reason));
        QCOMPARE(server.received().size(), 1);
        QCOMPARE(server.received().first().login, QStringLiteral("owner@store.test"));

        // Its certificate is checked as on the other port.
        starting.caFile = untrustingCaFile();
        QCOMPARE(SmtpClient(starting).send(owner, sampleMessage()).failure,
                 MailFailure::CertificateNotTrusted);
    }

    void plainTextBecomesHtml_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("html");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("crlf") << "a\r\nb"
                              << "a<br>\r\nb";
        QTest::newRow("lone lf and cr") << "a\nb\rc"
                                        << "a<br>\r\nb<br>\r\nc";
        QTest::newRow("markup") << "<b>\"x\"</b>"
                                << "&lt;b&gt;&quot;x&quot;&lt;/b&gt;";
    }
    void plainTextBecomesHtml() {
        QFETCH(QString, text);
        QFETCH(QString, html);
        QCOMPARE(htmlFromPlainText(text), html);
    }
};

QTEST_GUILESS_MAIN(TestSmtp)
#include "tst_smtp.moc"
