// The demo store, read through the programs' own readers: it must show them working.
#include "BackupSettingsFile.h"
#include "LinuxPlatform.h"
#include "ManualClock.h"
#include "PosTotals.h"
#include "Printer2Files.h"
#include "TimeClockFiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

class TestDemoStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void itsTotalsClockedInListAndScheduleRead() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QTemporaryDir prefix;
        QCOMPARE(QProcess::execute(QStringLiteral("bash"),
                                   {QStringLiteral(DEMO_STORE_SCRIPT), prefix.path()}),
                 0);
        LinuxPlatform platform(prefix.filePath(QStringLiteral("dosdevices")));
        ProgramValues values;
        readPosSettings(platform, values);
        QCOMPARE(values.CompanyName, QStringLiteral("Harbor Street Diner"));

        const PosTotals totals(platform, values.RemoteDIR);
        const TotalResult sales = totals.salesTotal();
        QVERIFY2(sales.total, qPrintable(sales.reason));
        QCOMPARE(sales.labelText(), QStringLiteral("$651.25"));
        QCOMPARE(totals.discountTotal().labelText(), QStringLiteral("$17.50"));

        ManualClock clock;
        const ClockedInList clockedIn = TimeClockFiles(platform, values, clock).LoadClockedIn();
        QVERIFY2(clockedIn.failure.isEmpty(), qPrintable(clockedIn.failure));
        QCOMPARE(clockedIn.employees.size(), 1);
        QCOMPARE(clockedIn.employees[0].name.trimmed(), QStringLiteral("Dana Whitfield"));

        const auto schedule = Printer2Files(platform, values).loadSchedule();
        QVERIFY(schedule);
        QCOMPARE((*schedule)[0].onText, QStringLiteral("11:00 am"));
    }
};

QTEST_GUILESS_MAIN(TestDemoStore)
#include "tst_demo_store.moc"
