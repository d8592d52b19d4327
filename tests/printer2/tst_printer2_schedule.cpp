// The kitchen printer 2 schedule: its file, the check and the marker.
#include "Printer2Files.h"
#include "Printer2Fixture.h"
#include "ScheduleCheck.h"

#include <QFile>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

const QByteArray MondayOnlyFile = "\"4:00 pm\",\"6:00 pm\"\r\n"
                                  "\"\",\"\"\r\n\"\",\"\"\r\n\"\",\"\"\r\n"
                                  "\"\",\"\"\r\n\"\",\"\"\r\n\"\",\"\"\r\n";

KitchenSchedule mondayOnly() {
    KitchenSchedule schedule;
    schedule[0] = {QStringLiteral("4:00 pm"), QStringLiteral("6:00 pm")};
    return schedule;
}

} // namespace

class TestPrinter2Schedule : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scheduleFileRoundTrips() {
        QCOMPARE(scheduleFileBytes(mondayOnly()), MondayOnlyFile);
        QCOMPARE(parseScheduleFile(MondayOnlyFile), mondayOnly());

        // Typed texts are kept as they are, blanks included; blanks outside quotes are not.
        KitchenSchedule typed;
        typed[6] = {QStringLiteral(" 11:30 am "), QStringLiteral("later")};
        QCOMPARE(parseScheduleFile(scheduleFileBytes(typed)), typed);
        QCOMPARE(parseScheduleFile("  \"1:00 am\" , \"2:00 am\"\r\n")[0],
                 (ScheduleRow{QStringLiteral("1:00 am"), QStringLiteral("2:00 am")}));
    }

    void shortOrDamagedFileLeavesMissingRowsBlank() {
        const KitchenSchedule twoRows =
            parseScheduleFile("\"4:00 pm\",\"6:00 pm\"\r\n\"9:00 am\",\"5:00 pm\"\r\n");
        QCOMPARE(twoRows[1], (ScheduleRow{QStringLiteral("9:00 am"), QStringLiteral("5:00 pm")}));
        for (int row = 2; row < 7; ++row)
            QCOMPARE(twoRows[row], ScheduleRow{});

        const KitchenSchedule cut = parseScheduleFile("\"4:00 pm\",\"6:00 pm\"\r\n\"9:00 am");
        QCOMPARE(cut[1], (ScheduleRow{QStringLiteral("9:00 am"), QString()}));
        QCOMPARE(cut[2], ScheduleRow{});
        QCOMPARE(parseScheduleFile(QByteArray()), KitchenSchedule{});
    }

    void weekdayNamesSelectRows() {
        const QStringList days = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                  "Friday", "Saturday", "Sunday"};
        for (int row = 0; row < 7; ++row) {
            QCOMPARE(rowForWeekday(days[row]), row);
            QCOMPARE(rowForWeekday(days[row].toUpper()), row);
        }
        // Names in another language fall back to Monday's row.
        QCOMPARE(rowForWeekday(QStringLiteral("dimanche")), 0);
        QCOMPARE(rowForWeekday(QString()), 0);
    }

    void checkDecides_data() {
        QTest::addColumn<QString>("on");
        QTest::addColumn<QString>("off");
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<SwitchAction>("expected");
        const QString four = QStringLiteral("4:00 pm"), six = QStringLiteral("6:00 pm");
        const QString on = QStringLiteral("ON"), off = QStringLiteral("OFF");

        QTest::newRow("off-time itself is in window")
            << four << six << QTime(18, 0, 0) << off << SwitchAction::SwitchOn;
        QTest::newRow("fraction of the off second still in")
            << four << six << QTime(18, 0, 0, 900) << off << SwitchAction::SwitchOn;
        QTest::newRow("half a minute past goes off")
            << four << six << QTime(18, 0, 30) << on << SwitchAction::SwitchOff;
        QTest::newRow("on-time itself is in window")
            << four << six << QTime(16, 0, 0) << off << SwitchAction::SwitchOn;
        QTest::newRow("a second early is out")
            << four << six << QTime(15, 59, 59) << on << SwitchAction::SwitchOff;
        QTest::newRow("shown status already right")
            << four << six << QTime(17, 0) << QStringLiteral(" ON ") << SwitchAction::None;
        QTest::newRow("design caption other than ON/OFF switches")
            << four << six << QTime(20, 0) << QString() << SwitchAction::SwitchOff;

        const QString ten = QStringLiteral("10:00 pm"), two = QStringLiteral("2:00 am");
        QTest::newRow("overnight row late evening")
            << ten << two << QTime(23, 0) << on << SwitchAction::SwitchOff;
        QTest::newRow("overnight row after midnight")
            << ten << two << QTime(1, 0) << on << SwitchAction::SwitchOff;

        QTest::newRow("blank off-time never switches")
            << four << QString() << QTime(17, 0) << off << SwitchAction::None;
        QTest::newRow("blank on-time never switches")
            << QString() << six << QTime(17, 0) << off << SwitchAction::None;

        QTest::newRow("junk on-time is out of window")
            << QStringLiteral("soon") << six << QTime(17, 0) << on << SwitchAction::SwitchOff;
        QTest::newRow("junk off-time never turns on")
            << four << QStringLiteral("6pm-ish") << QTime(17, 0) << off << SwitchAction::None;
        QTest::newRow("typed forms still read")
            << QStringLiteral("16:00") << QStringLiteral("6:00PM") << QTime(17, 0) << off
            << SwitchAction::SwitchOn;
    }
    void checkDecides() {
        QFETCH(QString, on);
        QFETCH(QString, off);
        QFETCH(QTime, now);
        QFETCH(QString, shown);
        QFETCH(SwitchAction, expected);
        QCOMPARE(scheduleAction({on, off}, now, shown, QLocale::c()), expected);
    }

    void scheduleFileIsSavedWhereDataDirPoints() {
        Printer2Fixture f;
        Printer2Files files(f.platform, f.values);
        QVERIFY(!files.loadSchedule()); // no file yet
        QVERIFY(files.saveSchedule(mondayOnly()));
        QCOMPARE(f.drives.readFile('c', QStringLiteral("Tillora/TlraKP2Ini.dat")), MondayOnlyFile);
        QCOMPARE(files.loadSchedule(), mondayOnly());

        // A folder that is not there: the save reports why and leaves nothing behind.
        f.values.DataDIR = QStringLiteral("c:\\Gone\\");
        const SaveResult failed = files.saveSchedule(mondayOnly());
        QVERIFY(!failed);
        QVERIFY(!failed.reason.isEmpty());
        QVERIFY(!f.drives.exists('c', QStringLiteral("Gone")));
    }

    void markerSwitchesThePrinter() {
        Printer2Fixture f;
        Printer2Files files(f.platform, f.values);
        QVERIFY(!files.markerPresent());
        QVERIFY(files.switchOff()); // absent already: still off
        QVERIFY(files.switchOn());
        QVERIFY(files.markerPresent());
        QVERIFY(f.drives.exists('c', QStringLiteral("Tillora/dontprint.txt")));
        QVERIFY(files.switchOn()); // twice on is still on, and still empty
        QCOMPARE(f.drives.readFile('c', QStringLiteral("Tillora/dontprint.txt")), QByteArray());
        QVERIFY(files.switchOff());
        QVERIFY(!files.markerPresent());

        // An unwritable data folder: switching on fails and the status reads off.
        f.values.DataDIR = QStringLiteral("c:\\Gone\\");
        QVERIFY(!files.switchOn());
        QVERIFY(!files.markerPresent());
    }

    void bannerSettingsSetTheDataFolder() {
        Printer2Fixture f;
        Printer2Files files(f.platform, f.values);
        QVERIFY(!files.readBannerSettings()); // no settings file: nothing changes
        QCOMPARE(f.values.DataDIR, QStringLiteral("c:\\Tillora\\"));

        // The file's name differs in letter case from the one the program asks for.
        f.drives.writeFile('c', QStringLiteral("TILLORA/TLRAINI.DAT"),
                           Printer2Fixture::settingsRecord("Joe's Diner", "C:\\POSDATA\\"));
        QCOMPARE(files.readBannerSettings(), QStringLiteral("Joe's Diner"));
        QCOMPARE(f.values.DataDIR, QStringLiteral("C:\\POSDATA\\"));
        QCOMPARE(files.markerPath(), QStringLiteral("C:\\POSDATA\\dontprint.txt"));

        // A folder written without its closing backslash still names the folder.
        f.drives.writeFile('c', QStringLiteral("TILLORA/TLRAINI.DAT"),
                           Printer2Fixture::settingsRecord("Joe's Diner", "D:\\POS"));
        files.readBannerSettings();
        QCOMPARE(f.values.DataDIR, QStringLiteral("D:\\POS\\"));

        // A blank data folder keeps the folder in use rather than the current folder.
        f.drives.writeFile('c', QStringLiteral("TILLORA/TLRAINI.DAT"),
                           Printer2Fixture::settingsRecord("", ""));
        QCOMPARE(files.readBannerSettings(), QString());
        QCOMPARE(f.values.DataDIR, QStringLiteral("D:\\POS\\"));
    }
};

QTEST_GUILESS_MAIN(TestPrinter2Schedule)
#include "tst_printer2_schedule.moc"
