#include "BackupScheduler.h"
#include "BackupStore.h"

#include <QtTest>

using namespace tillora;
using namespace tillora::test;

class TestBackupScheduler : public QObject {
    Q_OBJECT
private slots:
    void startsOnceInTheChosenMinute_data() {
        QTest::addColumn<QString>("startTime");
        QTest::addColumn<QList<QTime>>("ticks");
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("reportChecks"); // none in the backup minute
        QTest::newRow("2:59:59 then 3:00:54")
            << "3:00 am" << QList<QTime>{QTime(2, 59, 59), QTime(3, 0, 54), QTime(3, 1, 49)} << 1
            << 2;
        QTest::newRow("leading zero") << "03:00 am" << QList<QTime>{QTime(3, 0, 40)} << 1 << 0;
        QTest::newRow("afternoon is not night")
            << "3:00 pm" << QList<QTime>{QTime(3, 0, 40)} << 0 << 1;
        QTest::newRow("two ticks in one minute")
            << "3:00 am" << QList<QTime>{QTime(3, 0, 1), QTime(3, 0, 56)} << 1 << 0;
        QTest::newRow("junk start time")
            << "soon" << QList<QTime>{QTime(0, 0), QTime(3, 0), QTime(12, 0)} << 0 << 3;
    }
    void startsOnceInTheChosenMinute() {
        QFETCH(QString, startTime);
        QFETCH(QList<QTime>, ticks);
        QFETCH(int, runs);
        QFETCH(int, reportChecks);
        ManualClock clock;
        int started = 0;
        QStringList reports;
        BackupScheduler scheduler(
            clock, [&] { return startTime; }, [&] { ++started; });
        scheduler.setHourlyReportCheck([&](const QString& now) { reports.append(now); });
        for (const QTime& tick : ticks) {
            clock.set(QDateTime(QDate(2026, 12, 8), tick));
            scheduler.SchedulerTick();
            QCoreApplication::sendPostedEvents();
        }
        QCOMPARE(started, runs);
        QCOMPARE(reports.size(), reportChecks);
    }

    void aSecondTickInTheMinuteAsksNothing() {
        BackupStore store;
        BackupScheduler scheduler(
            store.clock, [] { return QStringLiteral("3:00 am"); },
            [&] {
                // Before the run: the order a compiler evaluates arguments in is its own.
                const auto expected = store.window.saves ? BackupEngine::Outcome::AlreadyDoneToday
                                                         : BackupEngine::Outcome::Completed;
                QCOMPARE(store.engine.RunBackup().outcome, expected);
            });
        scheduler.SchedulerTick();
        QCOMPARE(store.window.saves, 1);
        store.clock.advanceSeconds(55);
        scheduler.SchedulerTick();
        QVERIFY(store.prompts.asked.isEmpty());
        QCOMPARE(store.window.busyChanges, QList<bool>({true, false})); // not a run
        QVERIFY(scheduler.timer().isActive());
    }

    void theReportCheckRunsAfterTheTickHasReArmed() {
        ManualClock clock(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 5)));
        BackupScheduler scheduler(
            clock, [] { return QStringLiteral("3:00 am"); }, [] {});
        bool armedDuringCheck = false;
        scheduler.setHourlyReportCheck([&](const QString&) {
            armedDuringCheck = scheduler.timer().isActive();
            QTest::qWait(100); // a send that takes its time
        });
        scheduler.SchedulerTick();
        QVERIFY(!armedDuringCheck); // not yet: it waits for the event loop
        QTRY_VERIFY(armedDuringCheck);
    }

    void theTimerRestsDuringItsTickAndCountsFromItsEnd() {
        ManualClock clock(QDateTime(QDate(2026, 12, 8), QTime(3, 0)));
        BackupScheduler* scheduler = nullptr;
        bool activeDuringRun = true;
        BackupScheduler real(
            clock, [] { return QStringLiteral("3:00 am"); },
            [&] {
                activeDuringRun = scheduler->timer().isActive();
                QTest::qWait(300); // a long run, events processed
            });
        scheduler = &real;
        real.setPeriod(std::chrono::milliseconds(400));
        QCOMPARE(BackupScheduler::DefaultPeriod.count(), 55000);
        real.start();
        QTRY_VERIFY_WITH_TIMEOUT(!activeDuringRun, 2000);
        QVERIFY(real.timer().isActive());
        QVERIFY(real.timer().remainingTime() > 300);
    }
};

QTEST_MAIN(TestBackupScheduler)
#include "tst_backup_scheduler.moc"
