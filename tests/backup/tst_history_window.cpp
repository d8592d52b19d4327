// The history window over a month of runs: the table newest first with the runs that need
// attention in red, the list of files not copied, one painted bar per night, and when the
// backup drive was last read back whole.
#include "BackupHistory.h"
#include "DatePictures.h"
#include "FakePlatform.h"
#include "ManualClock.h"
#include "NightlyBarChart.h"
#include "ProgramValues.h"
#include "TempDrives.h"

#include <QPlainTextEdit>
#include <QTableWidget>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

const QDate Today(2026, 12, 8);

// Thirty nights ending today: most completed, the 4th before last missed, the 3rd before
// last with a file left out, and last night's 3:00 am run failed and was made up at 9:02.
void recordAMonth(const BackupHistoryLog& log) {
    for (int back = 29; back >= 0; --back) {
        if (back == 4)
            continue;
        BackupRunResult run;
        run.started = QDateTime(Today.addDays(-back), QTime(3, 0, 12));
        run.finished = run.started.addSecs(40 + back);
        run.destinationRoot = QStringLiteral("e:\\TLRAbackup\\");
        run.filesCopied = 200 + back * 7;
        run.filesUnchanged = 5800;
        run.bytesCopied = qint64(300 + (back * 37) % 250) << 20;
        run.verify = VerifySummary{};
        run.verify->files = run.filesCopied;
        run.verify->slice = (40 - back) % 28;
        run.verify->sliceFinished = true;
        run.verify->fullyReadBack = back == 13; // slice 27 read to the end
        if (back == 3) {
            run.outcome = RunOutcome::CompletedWithProblems;
            run.problems = {{QStringLiteral("c:\\Tillora\\Sales\\day.dat"),
                             QStringLiteral("in use by another program")}};
        }
        if (back == 2) {
            run.offsite = OffsiteSummary{};
            run.offsite->outcome = OffsiteSummary::Outcome::Failed;
            run.offsite->finished = run.started.addSecs(2460);
        }
        if (back == 5 || back == 9) {
            run.offsite = OffsiteSummary{};
            run.offsite->finished = run.started.addSecs(600);
            run.offsite->restoreProven = true;
        }
        if (back == 0) {
            BackupRunResult failed = run;
            failed.outcome = RunOutcome::DestinationUnavailable;
            failed.filesCopied = failed.filesUnchanged = failed.bytesCopied = 0;
            failed.finished = failed.started.addSecs(2);
            QVERIFY(log.record(failed));
            run.trigger = RunTrigger::CatchUp;
            run.started = QDateTime(Today, QTime(9, 2, 3));
            run.finished = run.started.addSecs(51);
        }
        QVERIFY(log.record(run));
    }
}

} // namespace

class TestHistoryWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void showsTheRunsAndPaintsOneBarPerNight() {
        TempDrives drives;
        drives.addDrive('c');
        FakePlatform platform(drives.driveFolder());
        ProgramValues values;
        BackupHistoryLog log(platform, values);
        recordAMonth(log);
        ManualClock clock(QDateTime(Today, QTime(10, 0)));

        BackupHistory window(log, clock);
        window.resize(900, 560);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QCOMPARE(window.ReadBackLine->text(),
                 "Backup drive last fully read back: " + shortDate(Today.addDays(-13)));
        QCOMPARE(window.RestoreLine->text(),
                 "Off-site copy: last restore proven " + shortDate(Today.addDays(-5)));
        QTableWidget& table = *window.RunTable;
        QCOMPARE(table.rowCount(), 30);
        QCOMPARE(table.item(0, BackupHistory::Trigger)->text(), QStringLiteral("catch-up"));
        QCOMPARE(table.item(1, BackupHistory::Result)->text(),
                 QStringLiteral("backup drive not found"));
        const QColor red(255, 0, 0);
        QCOMPARE(table.item(1, BackupHistory::Result)->foreground().color(), red);
        QVERIFY(table.item(0, BackupHistory::Result)->foreground().color() != red);
        QCOMPARE(table.item(4, BackupHistory::NotCopied)->text(), QStringLiteral("1"));
        QCOMPARE(table.item(3, BackupHistory::Offsite)->text(),
                 QStringLiteral("FAILED at 3:41 am"));
        QCOMPARE(table.item(5, BackupHistory::Offsite)->text(),
                 QStringLiteral("made at 3:10 am, restore proven"));

        QVERIFY(!window.showFilesNotCopied(0));
        QWidget* list = window.showFilesNotCopied(4);
        QVERIFY(list);
        QVERIFY(list->findChild<QPlainTextEdit*>("FileList")
                    ->toPlainText()
                    .startsWith("c:\\Tillora\\Sales\\day.dat\n    in use by another program"));
        list->close();

        // The bars as painted: last night good (made up), the missed night an empty slot,
        // the night with a file left out red.
        const NightlyBarChart& chart = *window.NightChart;
        QCOMPARE(chart.nights().size(), BackupHistory::ChartNights);
        const QImage image = window.NightChart->grab().toImage();
        const auto colourOf = [&](int night) {
            const QRect slot = chart.barRect(night);
            return slot.isEmpty() ? QColor() : image.pixelColor(slot.center());
        };
        for (int night = 0; night < 30; ++night) {
            if (night == 25)
                QVERIFY(chart.barRect(night).isEmpty());
            else
                QCOMPARE(colourOf(night), night == 26 ? red : QColor(0, 192, 0));
        }
        // A month of kilobytes is told in kilobytes, not as "0.0 MB".
        window.NightChart->setNights({{Today, NightBar::State::Good, 3.4 / 1024}});
        QCOMPARE(chart.title(), QStringLiteral("Megabytes copied per night (highest 3.4 kB)"));

        // The picture in the README.
        const QString shot = qEnvironmentVariable("TILLORA_SCREENSHOT");
        if (!shot.isEmpty())
            QVERIFY(window.grab().save(shot));
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_history_window.moc"
