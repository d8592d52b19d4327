// The outbox of messages not yet delivered, and their sending off the caller's thread.
#include "AlertDispatcher.h"
#include "ManualClock.h"
#include "Outbox.h"
#include "RecordingNotifier.h"

#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

const NotifyMessage Failed{QStringLiteral("Backup FAILED"),
                           QStringLiteral("Backup FAILED at \"Joe's\"\r\nDiner"), true};

QList<Channel> channelsOf(const RecordingNotifier::Send& send) {
    return send.channels;
}

} // namespace

class TestOutbox : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void retriesOnlyOwedChannelsAcrossARestart();
    void eachChannelIsOnFileAsItAnswers();
    void keepsWhatParsesAndGivesUpOldEntries();
    void aFileThatCannotBeWrittenIsToldOnce();
};

// E-mail is down when the alert goes out; push takes it at once. The program restarts,
// e-mail comes back, and the alert reaches e-mail without push getting it twice.
void TestOutbox::retriesOnlyOwedChannelsAcrossARestart() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Outbox.dat"));
    ManualClock clock(QDateTime(QDate(2026, 12, 8), QTime(3, 1)));
    RecordingNotifier notifier;
    notifier.setDown(Channel::Email, true);
    {
        QSemaphore gate;
        notifier.beforeSend = [&] { gate.acquire(); };
        AlertDispatcher dispatcher(notifier, clock, path);
        QSignalSpy finished(&dispatcher, &AlertDispatcher::sendFinished);
        dispatcher.dispatch(Failed);
        // The send is held on the worker, yet dispatch has returned, and the alert is
        // already on file: a program ending now would not lose it.
        QCOMPARE(Outbox(path).entries().size(), 1);
        QCOMPARE(Outbox(path).entries().first().channelsOwed,
                 QList<Channel>({Channel::Email, Channel::Push}));
        gate.release();
        QVERIFY(finished.wait());
        notifier.beforeSend = nullptr;
        QCOMPARE(dispatcher.outbox().entries().first().channelsOwed,
                 QList<Channel>{Channel::Email});

        // Still down at the first retry: tried on e-mail only, still owed.
        dispatcher.retryOutbox();
        QVERIFY(finished.wait());
        QCOMPARE(channelsOf(notifier.sends().last()), QList<Channel>{Channel::Email});
    }

    notifier.setDown(Channel::Email, false);
    clock.advanceSeconds(6 * 24 * 3600);
    AlertDispatcher restarted(notifier, clock, path);
    QCOMPARE(restarted.outbox().entries().size(), 1);
    const OutboxEntry reloaded = restarted.outbox().entries().first();
    QCOMPARE(reloaded.message.text, Failed.text);
    QVERIFY(reloaded.message.alert);
    QCOMPARE(reloaded.created, QDateTime(QDate(2026, 12, 8), QTime(3, 1)));

    QSignalSpy finished(&restarted, &AlertDispatcher::sendFinished);
    restarted.setRetryInterval(std::chrono::milliseconds(10));
    restarted.start();
    QVERIFY(finished.wait());
    QTRY_VERIFY(restarted.outbox().entries().isEmpty());
    QCOMPARE(Outbox(path).entries().size(), 0);

    const auto sends = notifier.sends();
    QCOMPARE(sends.size(), 3);
    QCOMPARE(channelsOf(sends.last()), QList<Channel>{Channel::Email});
    // Push took it once, in the first send, and never again.
    int pushSends = 0;
    for (const auto& send : sends)
        pushSends += int(send.channels.count(Channel::Push));
    QCOMPARE(pushSends, 1);
}

// E-mail has taken the alert and push is still under way when the process goes: the file
// the next start reads already owes push alone.
void TestOutbox::eachChannelIsOnFileAsItAnswers() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Outbox.dat"));
    ManualClock clock(QDateTime(QDate(2026, 12, 8), QTime(3, 1)));
    RecordingNotifier notifier;
    QSemaphore pushTried, letPushAnswer;
    notifier.beforeChannel = [&](Channel channel) {
        if (channel == Channel::Push) {
            pushTried.release();
            letPushAnswer.acquire();
        }
    };
    AlertDispatcher dispatcher(notifier, clock, path);
    const auto answerPush = qScopeGuard([&] { letPushAnswer.release(); });
    dispatcher.dispatch(Failed);
    QVERIFY(pushTried.tryAcquire(1, 5000));
    QCOMPARE(Outbox(path).entries().first().channelsOwed, QList<Channel>{Channel::Push});
}

void TestOutbox::keepsWhatParsesAndGivesUpOldEntries() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Outbox.dat"));
    {
        Outbox outbox(path);
        outbox.add({QStringLiteral("old"), QStringLiteral("a"), true},
                   QDateTime(QDate(2026, 12, 1), QTime(3, 0)), {Channel::Push});
        outbox.add({QStringLiteral("new"), QStringLiteral("b"), false},
                   QDateTime(QDate(2026, 12, 7), QTime(3, 0)), {Channel::Gateway});
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write("not json at all\n");
    file.write(
        "{\"id\":\"x\",\"created\":\"2026-12-07T03:00:00Z\",\"subject\":\"s\",\"text\":\"t\","
        "\"channels\":[\"fax\"]}\n");
    file.write("{\"id\":\"y\",\"created\":\"2026-12-07T03:00:00Z\",\"subj");
    file.close();

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("3 damaged line")));
    Outbox outbox(path);
    QCOMPARE(outbox.entries().size(), 2);

    // Seven days to the second after it was made, the old one is given up.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("\"old\" .* given up")));
    QCOMPARE(outbox.dropExpired(QDateTime(QDate(2026, 12, 8), QTime(3, 0))), 1);
    QCOMPARE(Outbox(path).entries().size(), 1);
    QCOMPARE(Outbox(path).entries().first().message.subject, QStringLiteral("new"));
}

void TestOutbox::aFileThatCannotBeWrittenIsToldOnce() {
    QTemporaryDir dir;
    Outbox outbox(dir.filePath(QStringLiteral("missing-folder/Outbox.dat")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot be written")));
    QTest::failOnWarning(QRegularExpression(QStringLiteral("cannot be written")));
    const QDateTime now(QDate(2026, 12, 8), QTime(3, 0));
    const OutboxEntry first = outbox.add(Failed, now, {Channel::Email});
    outbox.add(Failed, now, {Channel::Push});
    QVERIFY(!outbox.lastSave());
    // Nothing is lost while the program runs.
    QCOMPARE(outbox.entries().size(), 2);
    outbox.markSent(first.id, {Channel::Email});
    QCOMPARE(outbox.entries().size(), 1);
}

QTEST_GUILESS_MAIN(TestOutbox)
#include "tst_outbox.moc"
