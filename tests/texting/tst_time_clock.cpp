// The time-clock files: who is clocked in, name lookup, clock-out records.
#include "FakePlatform.h"
#include "ManualClock.h"
#include "ProgramValues.h"
#include "TempDrives.h"
#include "TextingTestData.h"
#include "TimeClockFiles.h"

#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

QByteArray stateRecord(const QString& employee, const QString& state, const QString& timeIn,
                       const QString& extra = {}) {
    FixedRecord r(clockrecord::Length);
    r.set(clockrecord::Date, "12/07/2026");
    r.set(clockrecord::State, state);
    r.set(clockrecord::TimeIn, timeIn);
    r.set(clockrecord::Employee, employee);
    r.set(clockrecord::Field9, extra);
    r.set(clockrecord::Field11, extra);
    return r.bytes();
}

QString padded(const QString& name) {
    return name.leftJustified(30, u' ');
}

struct Store {
    TempDrives drives;
    std::unique_ptr<FakePlatform> platform;
    ProgramValues values;
    ManualClock clock{QDateTime(QDate(2026, 12, 7), QTime(17, 45))};
    std::unique_ptr<TimeClockFiles> files;

    Store() {
        drives.addDrive('c');
        drives.writeFile('c', "shiftra/Data/TSinout.dat",
                         stateRecord("7", "1", "08:00", "seven's own") +
                             stateRecord("9", "0", "09:00") + stateRecord("12", "1", "10:30"));
        drives.writeFile('c', "shiftra/Data/Zemployee.dat",
                         employeeRecord("007", "Ann Baker") + employeeRecord("9", "Cy Dale") +
                             employeeRecord(" 12", "Eve Fox") + employeeRecord("12", "Second Eve"));
        platform = std::make_unique<FakePlatform>(drives.driveFolder());
        files = std::make_unique<TimeClockFiles>(*platform, values, clock);
    }
    FixedRecord record(const QString& file, int number) {
        return FixedRecord(
            100, drives.readFile('c', "shiftra/Data/" + file).mid((number - 1) * 100, 100));
    }
};

} // namespace

class TestTimeClock : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void listsClockedInEmployeesInFileOrder() {
        Store store;
        const ClockedInList list = store.files->LoadClockedIn();
        QVERIFY(list.failure.isEmpty());
        QCOMPARE(list.employees.size(), 2);
        QCOMPARE(list.employees[0].employee, QStringLiteral("7"));
        QCOMPARE(list.employees[0].timeIn, QStringLiteral("08:00"));
        QCOMPARE(list.employees[0].name, padded("Ann Baker")); // as stored, blanks kept
        QCOMPARE(list.employees[1].employee, QStringLiteral("12"));
        QCOMPARE(list.employees[1].name, padded("Eve Fox")); // the first of two records
        QCOMPARE(blankRowsAfter(2), 13);
    }

    void namesMatchByNumericValue() {
        Store store;
        for (const char* typed : {"7", " 7", "007", "7 "})
            QCOMPARE(store.files->LookupEmployeeName(typed), padded("Ann Baker"));
        QCOMPARE(store.files->LookupEmployeeName("70"), QString());
        QCOMPARE(store.files->LookupEmployeeName(""), QString());
    }

    void gridPadding_data() {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("blanks");
        QTest::newRow("none") << 0 << 15;
        QTest::newRow("13") << 13 << 2;
        QTest::newRow("14") << 14 << 0;
        QTest::newRow("20") << 20 << 0;
    }
    void gridPadding() {
        QFETCH(int, rows);
        QFETCH(int, blanks);
        QCOMPARE(blankRowsAfter(rows), blanks);
    }

    void clockOutAppendsTimesheetAndRewritesState() {
        Store store;
        store.drives.writeFile('c', "shiftra/Data/7TS.dat", stateRecord("7", "0", "06:00"));
        // The window was opened at 15:05; the shift began at 08:00 as the state record says.
        const ClockOutResult result = store.files->ClockOutSelected(" 7", "15:05");
        QVERIFY2(result.ok, qPrintable(result.failure));

        QCOMPARE(store.drives.readFile('c', "shiftra/Data/7TS.dat").size(), 200);
        const FixedRecord sheet = store.record("7TS.dat", 2);
        QCOMPARE(sheet.raw(clockrecord::Date), QStringLiteral("12/07/2026"));
        QCOMPARE(sheet.raw(clockrecord::State), QStringLiteral("0"));
        QCOMPARE(sheet.raw(clockrecord::TimeIn), QStringLiteral("08:00"));
        QCOMPARE(sheet.raw(clockrecord::TimeOut), QStringLiteral("17:45"));
        QCOMPARE(sheet.trimmed(clockrecord::Field5), QStringLiteral("0"));
        QCOMPARE(sheet.trimmed(clockrecord::Field6), QStringLiteral("0"));
        QCOMPARE(sheet.trimmed(clockrecord::Field7), QStringLiteral("rate"));
        QCOMPARE(sheet.trimmed(clockrecord::Employee), QStringLiteral("7"));
        // Fields the clock-out does not set come from the employee's own state record.
        QCOMPARE(sheet.trimmed(clockrecord::Field9), QStringLiteral("seven's own"));
        QCOMPARE(sheet.trimmed(clockrecord::Field11), QStringLiteral("seven's own"));

        QCOMPARE(store.drives.readFile('c', "shiftra/Data/TSinout.dat").size(), 300);
        QCOMPARE(store.record("TSinout.dat", 1).bytes(), sheet.bytes());
        QCOMPARE(store.record("TSinout.dat", 3).trimmed(clockrecord::State), QStringLiteral("1"));
        const ClockedInList after = store.files->LoadClockedIn();
        QCOMPARE(after.employees.size(), 1);
        QCOMPARE(after.employees[0].employee, QStringLiteral("12"));
    }

    void clockOutWithoutStateRecordAppendsOne() {
        Store store;
        // The last record of the file has its own extra fields: they must not leak in.
        store.drives.writeFile('c', "shiftra/Data/TSinout.dat",
                               stateRecord("9", "0", "09:00", "not hers"));
        // A damaged employee field never names a file outside the Data folder.
        QVERIFY(!store.files->ClockOutSelected("..\\x", "11:15").ok);
        QVERIFY(!store.drives.exists('c', "shiftra/xTS.dat"));
        QVERIFY(store.files->ClockOutSelected("15", "11:15").ok);
        QCOMPARE(store.drives.readFile('c', "shiftra/Data/15TS.dat").size(), 100);
        const FixedRecord state = store.record("TSinout.dat", 2);
        QCOMPARE(state.trimmed(clockrecord::Employee), QStringLiteral("15"));
        QCOMPARE(state.raw(clockrecord::TimeIn), QStringLiteral("11:15"));
        QCOMPARE(state.raw(clockrecord::Field9), QString(15, u' '));
        QCOMPARE(state.raw(clockrecord::Field11), QString(22, u' '));
        QCOMPARE(store.record("15TS.dat", 1).bytes(), state.bytes());
        QCOMPARE(store.record("TSinout.dat", 1).trimmed(clockrecord::Field9),
                 QStringLiteral("not hers"));
    }

    void missingDataFolderChangesNothing() {
        TempDrives drives;
        drives.addDrive('c');
        drives.writeFile('c', "shiftra/readme.txt", "x");
        FakePlatform platform(drives.driveFolder());
        ProgramValues values;
        ManualClock clock;
        TimeClockFiles files(platform, values, clock);
        QVERIFY(files.LoadClockedIn().failure.contains("c:\\shiftra\\Data\\"));
        const ClockOutResult result = files.ClockOutSelected("7", "08:00");
        QVERIFY(!result.ok);
        QVERIFY(result.failure.contains("was not found"));
        QVERIFY(!drives.exists('c', "shiftra/Data"));
    }

    void missingStateFileIsCreatedEmpty() {
        TempDrives drives;
        drives.addDrive('c');
        drives.writeFile('c', "Clock/DATA/keep", "");
        FakePlatform platform(drives.driveFolder());
        ProgramValues values;
        values.ShiftraDIR = "c:\\clock\\";
        ManualClock clock;
        TimeClockFiles files(platform, values, clock);
        const ClockedInList list = files.LoadClockedIn();
        QVERIFY(list.failure.isEmpty());
        QVERIFY(list.employees.isEmpty());
        QVERIFY(drives.exists('c', "Clock/DATA/TSinout.dat"));
    }
};

QTEST_GUILESS_MAIN(TestTimeClock)
#include "tst_time_clock.moc"
