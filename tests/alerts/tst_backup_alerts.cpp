// When the owner is told about backups, in which words, and that the telling is sent.
#include "AlertSettings.h"
#include "BackupAlertService.h"
#include "BackupAlertTexts.h"
#include "FakePlatform.h"
#include "ManualClock.h"
#include "ProgramValues.h"
#include "RecordingNotifier.h"
#include "RunSummary.h"
#include "TempDrives.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

struct FakeSources final : AlertSources {
    AlertSettings settings;
    QString company = QStringLiteral("Joe's Diner");
    QString startTime = QStringLiteral("3:00 am");
    std::optional<QTime> reportStart;
    std::optional<QDateTime> last;
    QList<PastRun> runs;
    std::optional<double> weekSales;

    AlertSettings alertSettings() const override { return settings; }
    QString companyName() const override { return company; }
    QString backupStartTime() const override { return startTime; }
    std::optional<QTime> reportWindowStart() const override { return reportStart; }
    std::optional<QDateTime> lastBackup() const override { return last; }
    QList<PastRun> runsSince(const QDateTime& since) const override {
        QList<PastRun> after;
        for (const PastRun& run : runs) {
            if (run.started >= since)
                after.append(run);
        }
        return after;
    }
    std::optional<double> salesOfDays(const QDate& first, const QDate& last) const override {
        const bool lastWeek = first == QDate(2026, 12, 7) && last == QDate(2026, 12, 13);
        return lastWeek ? weekSales : std::nullopt;
    }
};

QDateTime at(int day, int hour, int minute = 0) {
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute));
}

BackupRunResult run(RunTrigger trigger, RunOutcome outcome) {
    BackupRunResult result;
    result.trigger = trigger;
    result.outcome = outcome;
    result.started = at(8, 3);
    result.finished = at(8, 3, 2);
    return result;
}

QStringList subjects(const QList<NotifyMessage>& messages) {
    QStringList list;
    for (const NotifyMessage& message : messages)
        list.append(message.subject);
    return list;
}

} // namespace

Q_DECLARE_METATYPE(RunTrigger)
Q_DECLARE_METATYPE(RunOutcome)

class TestBackupAlerts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void whichRunsAlert_data();
    void whichRunsAlert();
    void aDriveFaultIsToldInTheWindowsWords();
    void aRetryFailingAsTheNightDidIsNotToldAgain();
    void staleBackupWarnedOnceADay();
    void weeklySummaryCountsTheNights();
    void serviceSendsOffThreadAndOnce();
    void settingsKeepTheFileOtherGroups();
};

void TestBackupAlerts::whichRunsAlert_data() {
    QTest::addColumn<RunTrigger>("trigger");
    QTest::addColumn<RunOutcome>("outcome");
    QTest::addColumn<bool>("switchedOn");
    QTest::addColumn<QString>("subject"); // empty: no alert

    const QString failed = QStringLiteral("Backup FAILED");
    QTest::newRow("scheduled, drive missing")
        << RunTrigger::Scheduled << RunOutcome::DestinationUnavailable << true << failed;
    QTest::newRow("catch-up, network failed")
        << RunTrigger::CatchUp << RunOutcome::NetworkFailed << true << failed;
    QTest::newRow("scheduled, files not copied")
        << RunTrigger::Scheduled << RunOutcome::CompletedWithProblems << true
        << QStringLiteral("Backup INCOMPLETE");
    QTest::newRow("scheduled, completed")
        << RunTrigger::Scheduled << RunOutcome::Completed << true << QString();
    QTest::newRow("a tick that found the backup done")
        << RunTrigger::Scheduled << RunOutcome::AlreadyDoneToday << true << QString();
    QTest::newRow("Backup Now, drive missing")
        << RunTrigger::BackupNow << RunOutcome::DestinationUnavailable << true << QString();
    QTest::newRow("switched off") << RunTrigger::Scheduled << RunOutcome::DestinationUnavailable
                                  << false << QString();
}

void TestBackupAlerts::whichRunsAlert() {
    QFETCH(RunTrigger, trigger);
    QFETCH(RunOutcome, outcome);
    QFETCH(bool, switchedOn);
    QFETCH(QString, subject);
    FakeSources sources;
    sources.settings.backupFailed = switchedOn;
    const auto alert = BackupAlerts(sources).afterRun(run(trigger, outcome));
    QCOMPARE(alert ? alert->subject : QString(), subject);
}

void TestBackupAlerts::aDriveFaultIsToldInTheWindowsWords() {
    QStringList told;
    for (const DestinationFault fault : {DestinationFault::Missing, DestinationFault::NotWritable,
                                         DestinationFault::FlushFailed}) {
        BackupRunResult failed = run(RunTrigger::Scheduled, RunOutcome::DestinationUnavailable);
        failed.destinationFault = fault;
        const QString words = summarize(failed).outcome;
        const QString text = alert::runNotCompleted(failed, QStringLiteral("Joe's Diner")).text;
        QVERIFY2(text.endsWith(QStringLiteral("03:00 AM: ") + words + u'.'), qPrintable(text));
        told.append(words);
    }
    told.removeDuplicates();
    QCOMPARE(told.size(), 3);
}

void TestBackupAlerts::aRetryFailingAsTheNightDidIsNotToldAgain() {
    FakeSources sources;
    sources.runs = {{at(8, 3), RunOutcome::DestinationUnavailable, RunTrigger::Scheduled}};
    BackupRunResult retry = run(RunTrigger::CatchUp, RunOutcome::DestinationUnavailable);
    retry.started = at(8, 9);
    QVERIFY(!BackupAlerts(sources).afterRun(retry));
    retry.outcome = RunOutcome::SourceUnavailable;
    QVERIFY(BackupAlerts(sources).afterRun(retry));
}

void TestBackupAlerts::staleBackupWarnedOnceADay() {
    FakeSources sources;
    sources.startTime = QStringLiteral("03:30 am");
    sources.last = at(5, 3);
    BackupAlerts alerts(sources);

    // Two days and an hour after the last backup, but before the first full hour after
    // the backup minute: nothing yet.
    QVERIFY(alerts.dueAt(at(7, 3, 59)).isEmpty());
    const auto warned = alerts.dueAt(at(7, 4, 0));
    QCOMPARE(subjects(warned), QStringList{QStringLiteral("No backup for 2 days")});
    QVERIFY(warned.first().text.contains(QStringLiteral("Joe's Diner")));
    QVERIFY(warned.first().alert);
    QVERIFY(alerts.dueAt(at(7, 4, 1)).isEmpty());
    QVERIFY(alerts.dueAt(at(7, 4, 59)).isEmpty());
    QCOMPARE(subjects(alerts.dueAt(at(8, 4, 30))),
             QStringList{QStringLiteral("No backup for 3 days")});

    // A backup in the night stops it; so does switching it off.
    sources.last = at(9, 3, 30);
    QVERIFY(alerts.dueAt(at(9, 4)).isEmpty());
    sources.last = at(5, 3);
    sources.settings.staleAfterDays = 0;
    QVERIFY(alerts.dueAt(at(10, 4)).isEmpty());
}

void TestBackupAlerts::weeklySummaryCountsTheNights() {
    FakeSources sources;
    sources.reportStart = QTime(8, 30); // first full hour of the report window: 9:00
    sources.last = at(13, 3);
    sources.runs = {
        {at(6, 3), RunOutcome::Completed},              // the week before
        {at(7, 3), RunOutcome::Completed},              // Monday
        {at(8, 3), RunOutcome::DestinationUnavailable}, // Tuesday: failed, then made up
        {at(8, 9, 2), RunOutcome::Completed},
        {at(9, 3), RunOutcome::CompletedWithProblems}, // Wednesday
        {at(10, 3), RunOutcome::SourceUnavailable},    // Thursday
        // Friday and Saturday: the PC was off
        {at(13, 3),
         RunOutcome::Completed,
         RunTrigger::Scheduled,
         {{QStringLiteral("c:\\Tillora\\data\\big"), 1}}},
        {at(14, 3), RunOutcome::Completed}, // this Monday: next week's
    };
    sources.weekSales = 8123.4; // the day summary is on
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    BackupAlerts alerts(sources);

    QVERIFY(alerts.dueAt(at(14, 8, 59)).isEmpty());
    const auto due = alerts.dueAt(at(14, 9, 0));
    QCOMPARE(subjects(due), QStringList{QStringLiteral("Backups this week")});
    QVERIFY2(due.first().text.contains(QStringLiteral(
                 "3 nights completed, 1 incomplete, 1 failed, 2 without a backup run")),
             qPrintable(due.first().text));
    QVERIFY(due.first().text.contains(QStringLiteral("Sunday 12/13/2026")));
    QVERIFY(due.first().text.contains(QStringLiteral(". Sales this week: $8,123.40. ")));
    QVERIFY(due.first().text.endsWith(
        QStringLiteral(" 1 folder with 1 file is not in the backup: c:\\Tillora\\data\\big.")));
    QVERIFY(alerts.dueAt(at(14, 9, 1)).isEmpty());
    // Only on Mondays; at 9:00 when texting gives no window; not when switched off.
    QVERIFY(alerts.dueAt(at(15, 9, 0)).isEmpty());
    sources.reportStart.reset();
    sources.settings.weekly = false;
    QVERIFY(alerts.dueAt(at(21, 9, 0)).isEmpty());
}

// The service gets a run and the time; the alerts reach the notifier on its worker, each
// once.
void TestBackupAlerts::serviceSendsOffThreadAndOnce() {
    QTemporaryDir dir;
    ManualClock clock(at(8, 3, 5));
    RecordingNotifier notifier;
    auto owned = std::make_unique<FakeSources>();
    FakeSources& sources = *owned;
    sources.last = at(6, 3);
    BackupAlertService service(std::move(owned), notifier, clock,
                               dir.filePath(QStringLiteral("Outbox.dat")));
    QSignalSpy sent(&service.dispatcher(), &AlertDispatcher::sendFinished);

    BackupRunResult incomplete = run(RunTrigger::Scheduled, RunOutcome::CompletedWithProblems);
    for (int i = 1; i <= 5; ++i)
        incomplete.problems.append(
            {QStringLiteral("c:\\Tillora\\Data\\file%1.dat").arg(i), QStringLiteral("locked")});
    service.runFinished(incomplete);
    QVERIFY(sent.wait());
    const QString text = notifier.sends().first().message.text;
    QVERIFY2(text.startsWith(QStringLiteral("Backup INCOMPLETE at Joe's Diner on Tuesday "
                                            "12/08/2026 at 03:00 AM")),
             qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("5 files not copied, among them "
                                         "c:\\Tillora\\Data\\file1.dat, "
                                         "c:\\Tillora\\Data\\file2.dat, "
                                         "c:\\Tillora\\Data\\file3.dat.")));
    QCOMPARE(notifier.sends().first().channels, notifier.enabledChannels());

    clock.set(at(8, 4, 0));
    service.checkTime();
    clock.set(at(8, 4, 1));
    service.checkTime();
    // Sends go out in order: the marker's arrival means nothing else was sent before it.
    service.dispatcher().dispatch({QStringLiteral("marker"), {}, false});
    QTRY_COMPARE(sent.size(), 3);
    QCOMPARE(subjects({notifier.sends()[1].message, notifier.sends()[2].message}),
             QStringList({QStringLiteral("No backup for 2 days"), QStringLiteral("marker")}));
    QVERIFY(service.dispatcher().outbox().entries().isEmpty());
}

void TestBackupAlerts::settingsKeepTheFileOtherGroups() {
    TempDrives drives;
    drives.addDrive('c');
    FakePlatform platform(drives.driveFolder());
    const ProgramValues values;
    const QString file = QStringLiteral("Tillora/ini/Notify.ini");
    drives.writeFile('c', file,
                     "[Email]\nServer=mail.example.com\n\n[Alerts]\nStaleAfterDays=soon\n");

    AlertSettings settings = AlertSettings::load(platform, values);
    QCOMPARE(settings.staleAfterDays, 2); // a damaged value is the default
    settings.weekly = false;
    QVERIFY(settings.save(platform, values));

    const QByteArray saved = drives.readFile('c', file);
    QVERIFY(saved.contains("Server=mail.example.com"));
    QCOMPARE(AlertSettings::load(platform, values).weekly, false);
    QCOMPARE(AlertSettings::load(platform, values).staleAfterDays, 2);
}

QTEST_GUILESS_MAIN(TestBackupAlerts)
#include "tst_backup_alerts.moc"
