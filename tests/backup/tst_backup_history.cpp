// The run history and its problems log, what the owner reads about a run, the nightly
// chart's data, and the rule that decides whether a missed night is made up.
#include "BackupHistoryLog.h"
#include "CatchUpRule.h"
#include "FakePlatform.h"
#include "NightlyChart.h"
#include "ProgramValues.h"
#include "RunSummary.h"
#include "TempDrives.h"

#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

QDateTime at(int day, int hour, int minute, int second = 0) {
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second));
}

BackupRunResult run(const QDateTime& started, RunOutcome outcome = RunOutcome::Completed,
                    qint64 bytes = 0) {
    BackupRunResult r;
    r.started = started;
    r.finished = started.addSecs(42);
    r.outcome = outcome;
    r.bytesCopied = bytes;
    r.filesCopied = 6001;
    r.destinationRoot = QStringLiteral("e:\\TLRAbackup\\");
    return r;
}

struct Store {
    TempDrives drives;
    FakePlatform platform{(drives.addDrive('c'), drives.driveFolder())};
    ProgramValues values;
    BackupHistoryLog log{platform, values};

    QByteArray history() const { return drives.readFile('c', "Tillora/ini/BackupHistory.log"); }
    QByteArray problems() const { return drives.readFile('c', "Tillora/ini/BackupProblems.log"); }
};

} // namespace

class TestBackupHistory : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void runsRoundTripWithTheirProblemsAndALaterUpdateReplacesTheLine() {
        Store s;
        BackupRunResult night = run(at(7, 3, 0, 20), RunOutcome::CompletedWithProblems, 1 << 20);
        night.trigger = RunTrigger::CatchUp;
        night.notes = {QStringLiteral("c:\\Loyvana\\ is missing")};
        night.foldersLeftOut = {{QStringLiteral("c:\\Tillora\\data\\big"), 3001}};
        night.problems = {
            {QStringLiteral("c:\\Tillora\\a \"quoted\"\nname.dat"),
             QStringLiteral("in use by another program")},
            {QStringLiteral("c:\\Tillora\\Straße.dat"), QStringLiteral("access denied")}};
        QVERIFY(s.log.record(night));
        QVERIFY(s.log.record(run(at(8, 3, 0, 5))));
        // Every run is one line, whatever its paths hold.
        QCOMPARE(s.history().count('\n'), 2);
        QCOMPARE(s.problems().count('\n'), 1);

        const QList<HistoryEntry> runs = s.log.runs();
        QCOMPARE(runs.size(), 2);
        QCOMPARE(runs[0].run.started, night.started);
        QCOMPARE(runs[0].run.trigger, RunTrigger::CatchUp);
        QCOMPARE(runs[0].run.outcome, RunOutcome::CompletedWithProblems);
        QCOMPARE(runs[0].run.notes, night.notes);
        QCOMPARE(runs[0].run.foldersLeftOut, night.foldersLeftOut);
        QCOMPARE(runs[0].filesNotCopied, 2);
        QCOMPARE(s.log.problemsOf(night.started).value(), night.problems);
        QVERIFY(!s.log.problemsOf(at(8, 3, 0, 5)));
        QCOMPARE(s.log.lastBackupEnd().value(), at(8, 3, 0, 47));

        // The off-site step completes the night's record later: same line, nothing lost.
        night.offsite = OffsiteSummary{OffsiteSummary::Outcome::Completed,
                                       at(7, 3, 9),
                                       12,
                                       3,
                                       5986,
                                       1 << 20,
                                       61.5,
                                       QStringLiteral("4f2a"),
                                       {},
                                       {}};
        night.problems.clear();
        QVERIFY(s.log.record(night));
        const QList<HistoryEntry> after = s.log.runs();
        QCOMPARE(after.size(), 2);
        QCOMPARE(after[0].run.offsite->snapshotId, QStringLiteral("4f2a"));
        QCOMPARE(after[0].run.offsite->filesUnmodified, 5986);
        QCOMPARE(s.log.problemsOf(night.started)->size(), 2);
    }

    void damagedLinesAreSkippedAndTheLogsAreTrimmed() {
        Store s;
        QByteArray bytes;
        for (int i = 0; i < BackupHistoryLog::KeptRuns; ++i) {
            bytes += QStringLiteral("{\"start\":\"%1\",\"trigger\":\"scheduled\",\"outcome\":"
                                    "\"completed\",\"laterField\":1}\n")
                         .arg(at(1, 0, 0).addSecs(i * 60).toString(Qt::ISODateWithMs))
                         .toUtf8();
            if (i == 10)
                bytes += "{\"outcome\":\"completed\"}\n"
                         "not json at all\n";
        }
        bytes += "{\"start\":\"2026-12-07T03:00:00.000\",\"trig"; // cut short by a crash
        s.drives.writeFile('c', "Tillora/ini/BackupHistory.log", bytes);
        QCOMPARE(s.log.runs().size(), BackupHistoryLog::KeptRuns);

        QVERIFY(s.log.record(run(at(8, 3, 0))));
        const QList<HistoryEntry> runs = s.log.runs();
        QCOMPARE(runs.size(), BackupHistoryLog::KeptRuns);
        QCOMPARE(runs.first().run.started, at(1, 0, 1)); // the oldest went
        QCOMPARE(runs.last().run.started, at(8, 3, 0));
        QVERIFY(!s.history().contains("not json"));
        QVERIFY(s.history().contains("\"laterField\":1")); // fields of later versions stay

        for (int night = 0; night < BackupHistoryLog::KeptProblemRuns + 2; ++night) {
            BackupRunResult r = run(at(1, 3, 0).addDays(night), RunOutcome::CompletedWithProblems);
            r.problems = {{QStringLiteral("c:\\Tillora\\x.dat"), QStringLiteral("locked")}};
            QVERIFY(s.log.record(r));
        }
        QCOMPARE(s.problems().count('\n'), BackupHistoryLog::KeptProblemRuns);
        QVERIFY(!s.log.problemsOf(at(1, 3, 0)));
        QVERIFY(s.log.problemsOf(at(2, 3, 0).addDays(1)));
    }

    // A line written before the drive's fault was kept reads as the missing drive it was
    // shown as; the fault of a newer line comes back beside the same outcome token.
    void theDriveFaultIsKeptBesideItsOutcome() {
        Store s;
        s.drives.writeFile('c', "Tillora/ini/BackupHistory.log",
                           "{\"start\":\"2026-12-06T03:00:00.000\",\"trigger\":\"scheduled\","
                           "\"outcome\":\"destination-unavailable\"}\n");
        BackupRunResult flush = run(at(7, 3, 0), RunOutcome::DestinationUnavailable);
        flush.destinationFault = DestinationFault::FlushFailed;
        QVERIFY(s.log.record(flush));
        const QList<HistoryEntry> runs = s.log.runs();
        QCOMPARE(runs.size(), 2);
        QCOMPARE(summarize(runs[0].run).outcome, QStringLiteral("backup drive not found"));
        QCOMPARE(runs[1].run.destinationFault, DestinationFault::FlushFailed);
        QCOMPARE(s.history().count("\"destination-unavailable\""), 2);
    }

    void theOwnerReadsWhatHappenedInAFewWords() {
        BackupRunResult good = run(at(7, 3, 0), RunOutcome::Completed, 1024 * 1024 * 1024);
        QCOMPARE(summarize(good).line, QStringLiteral("3:00 am: 6,001 files, 1.0 GB, 42 s"));
        QVERIFY(!summarize(good).attention);
        good.filesCopied = 12;
        good.filesUnchanged = 5989;
        QCOMPARE(summarize(good).line,
                 QStringLiteral("3:00 am: 12 files copied, 5,989 unchanged, 1.0 GB, 42 s"));

        BackupRunResult incomplete = run(at(7, 15, 5), RunOutcome::CompletedWithProblems);
        incomplete.problems = {{}, {}};
        QCOMPARE(summarize(incomplete).line, QStringLiteral("3:05 pm: 2 files NOT copied"));
        QVERIFY(summarize(incomplete).attention);
        const BackupRunResult noDrive = run(at(7, 0, 30), RunOutcome::DestinationUnavailable);
        QCOMPARE(summarize(noDrive).line, QStringLiteral("12:30 am: backup drive not found"));
        QVERIFY(summarize(noDrive).attention);
        QVERIFY(!summarize(run(at(7, 9, 0), RunOutcome::Declined)).attention);
    }

    void eachNightShowsHowItsLastRunEnded() {
        const QList<HistoryEntry> runs = {
            HistoryEntry::of(run(at(8, 3, 0), RunOutcome::DestinationUnavailable)),
            HistoryEntry::of(run(at(8, 9, 2), RunOutcome::Completed, 3 << 20)), // made up
            HistoryEntry::of(run(at(6, 3, 0), RunOutcome::NetworkFailed)),
            HistoryEntry::of(run(at(5, 3, 0), RunOutcome::Completed, 1 << 20)),
            HistoryEntry::of(run(at(5, 14, 0), RunOutcome::Declined)),
            HistoryEntry::of(run(at(4, 14, 0), RunOutcome::Declined)),
            HistoryEntry::of(run(QDateTime(QDate(2026, 11, 1), QTime(3, 0)))), // too old
        };
        const QList<NightBar> bars = nightlyBars(runs, QDate(2026, 12, 8), 30);
        QCOMPARE(bars.size(), 30);
        QCOMPARE(bars.first().date, QDate(2026, 11, 9));
        QCOMPARE(bars.last().state, NightBar::State::Good);
        QCOMPARE(bars.last().megabytes, 3.0);
        QCOMPARE(bars[28].state, NightBar::State::NoRun);
        QCOMPARE(bars[27].state, NightBar::State::Attention);
        QCOMPARE(bars[26].state, NightBar::State::Good);
        QCOMPARE(bars[26].megabytes, 1.0);
        QCOMPARE(bars[25].state, NightBar::State::NoRun); // declined only
    }

    void aMissedNightIsMadeUpOnceAndOnlyWhenMissed() {
        const QTime three(3, 0);
        // Started at 9:00 after a night switched off; the last backup was the night before.
        CatchUpRule offAtNight(three, {at(7, 3, 10), std::nullopt});
        QVERIFY(offAtNight.missedAtStart(at(8, 9, 0)));
        QVERIFY(!offAtNight.missedAtStart(at(8, 2, 0))); // tonight's minute is still ahead
        // The night's run happened: nothing to make up, by the history or by the date alone.
        QVERIFY(!CatchUpRule(three, {at(8, 3, 0, 50), std::nullopt}).missedAtStart(at(8, 9, 0)));
        QVERIFY(!CatchUpRule(three, {std::nullopt, QDate(2026, 12, 8)}).missedAtStart(at(8, 9, 0)));
        QVERIFY(CatchUpRule(three, {std::nullopt, QDate(2026, 12, 7)}).missedAtStart(at(8, 9, 0)));
        // A run still copying at 3:00 covers the minute; no backup ever made, or a start
        // time that is no time, leaves nothing to make up.
        QVERIFY(!CatchUpRule(three, {at(8, 3, 20), std::nullopt}).missedAtStart(at(8, 9, 0)));
        QVERIFY(!CatchUpRule(three, {}).missedAtStart(at(8, 9, 0)));
        QVERIFY(!CatchUpRule(std::nullopt, {at(1, 3, 0), std::nullopt}).missedAtStart(at(8, 9, 0)));

        // Between ticks: the PC slept from 1:00 to 7:30, or a report held the tick past 3:00.
        QVERIFY(offAtNight.missedBetweenTicks(at(8, 1, 0), at(8, 7, 30)));
        QVERIFY(offAtNight.missedBetweenTicks(at(8, 2, 59, 30), at(8, 3, 1, 10)));
        // Not when a tick fell into the minute itself (that tick starts the run), nor when
        // the minute is not between the two ticks, nor when the clock went back.
        QVERIFY(!offAtNight.missedBetweenTicks(at(8, 2, 59, 59), at(8, 3, 0, 54)));
        QVERIFY(!offAtNight.missedBetweenTicks(at(8, 3, 0, 40), at(8, 3, 41)));
        QVERIFY(!offAtNight.missedBetweenTicks(at(8, 4, 0), at(8, 4, 0, 55)));
        QVERIFY(!offAtNight.missedBetweenTicks(at(8, 9, 0), at(8, 1, 0)));

        // CatchUpUntil 9:00 am ends the making up, after a 3:00 am or an 11:00 pm minute.
        const CatchUpRule untilNine(three, {at(7, 3, 10), std::nullopt}, std::nullopt, QTime(9, 0));
        QVERIFY(untilNine.missedAtStart(at(8, 8, 59)) && !untilNine.missedAtStart(at(8, 9, 30)));
        QVERIFY(CatchUpRule(QTime(23, 0), {at(6, 23, 9), std::nullopt}, std::nullopt, QTime(9, 0))
                    .missedAtStart(at(8, 7, 0)));
    }
};

QTEST_GUILESS_MAIN(TestBackupHistory)
#include "tst_backup_history.moc"
