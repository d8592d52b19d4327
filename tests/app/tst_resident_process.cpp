// The real tillora-backup program: it becomes resident against a drive folder, refuses a
// second copy, runs the nightly backup at its minute, and a kill ends it through its
// terminate path with the settings saved.
#include "TempDrives.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

using namespace tillora::test;

namespace {

// The file as the first start writes it: flags quoted.
const QByteArray QuotedFlags = "\"Time Start    \",\"4:15 am\"\r\n"
                               "\"Backup From   \",\"c:\\\"\r\n"
                               "\"Backup To     \",\"c:\\\"\r\n"
                               "\"Tillora\",\"-1\"\r\n"
                               "\"Shiftra\",\"-1\"\r\n"
                               "\"Loyvana\",\"0\"\r\n"
                               "\"Cardessa\",\"-1\"\r\n"
                               "\"Last Date     \",\"12/6/2026\"\r\n"
                               "\"Paydex\",\"0\"\r\n"
                               "\"Backup to is a Network Drive\",\"0\"\r\n";

const QByteArray BareFlags = "\"Time Start    \",\"4:15 am\"\r\n"
                             "\"Backup From   \",\"c:\"\r\n"
                             "\"Backup To     \",\"c:\"\r\n"
                             "\"Tillora\",-1\r\n"
                             "\"Shiftra\",-1\r\n"
                             "\"Loyvana\",0\r\n"
                             "\"Cardessa\",-1\r\n"
                             "\"Last Date     \",\"12/6/2026\"\r\n"
                             "\"Paydex\",0\r\n"
                             "\"Backup to is a Network Drive\",0\r\n";

const QString SettingsPath = QStringLiteral("Tillora/ini/Autobackup.dat");
const char* const FakeTimeLibrary = "/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1";

bool waitForOutput(QProcess& process, const QByteArray& text, QByteArray& seen, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        process.waitForReadyRead(100);
        seen += process.readAllStandardError();
        if (seen.contains(text))
            return true;
        if (process.state() == QProcess::NotRunning)
            return false;
    }
    return false;
}

struct Store {
    TempDrives drives;
    QTemporaryDir runtime; // the instance lock lives here, away from other runs
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();

    Store() {
        drives.addDrive('c');
        drives.writeFile('c', SettingsPath, QuotedFlags);
        env.insert(QStringLiteral("WINEPREFIX"), QFileInfo(drives.driveFolder()).absolutePath());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        // The program remembers its drive folder there: not in the tester's own settings.
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    void start(QProcess& process) {
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TILLORA_BACKUP_BINARY), {});
    }
    // Settings for a backup at 3:00 am from c: to a drive e:; returns the file's bytes.
    QByteArray nightlyToDriveE() {
        drives.addDrive('e', QStringLiteral("BACKUP"));
        QByteArray settings = BareFlags;
        settings.replace("4:15 am", "3:00 am")
            .replace("\"Backup To     \",\"c:\"", "\"Backup To     \",\"e: [BACKUP]\"");
        drives.writeFile('c', SettingsPath, settings);
        return settings;
    }
    // Starts the program with its clocks at `moment`, running ten times faster. The
    // library is preloaded directly so that the process is the program itself.
    void startAt(QProcess& process, const QString& moment) {
        QProcessEnvironment fake = env;
        fake.insert(QStringLiteral("LD_PRELOAD"), QString::fromLatin1(FakeTimeLibrary));
        fake.insert(QStringLiteral("FAKETIME"), u'@' + moment + QStringLiteral(" x10"));
        process.setProcessEnvironment(fake);
        process.start(QStringLiteral(TILLORA_BACKUP_BINARY), {});
    }
};

} // namespace

class TestResidentProcess : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void becomesResidentRefusesASecondCopyAndSavesOnKill() {
        Store store;
        QProcess program;
        store.start(program);
        QVERIFY(program.waitForStarted());
        QByteArray seen;
        QVERIFY2(waitForOutput(program, "resident", seen, 20000), seen.constData());

        QProcess second;
        store.start(second);
        QVERIFY(second.waitForStarted());
        QByteArray secondSeen;
        QVERIFY(!waitForOutput(second, "resident", secondSeen, 2000));
        QCOMPARE(second.state(), QProcess::Running); // showing the error window
        second.kill();
        second.waitForFinished();

        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(store.drives.readFile('c', SettingsPath), BareFlags);
    }

    void hangUpAndInterruptAlsoSave_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void hangUpAndInterruptAlsoSave() {
        QFETCH(int, signal);
        Store store;
        QProcess program;
        store.start(program);
        QByteArray seen;
        QVERIFY2(waitForOutput(program, "resident", seen, 20000), seen.constData());
        ::kill(static_cast<pid_t>(program.processId()), signal);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 0);
        QCOMPARE(store.drives.readFile('c', SettingsPath), BareFlags);
    }

    void nightlyBackupRunsAtTheChosenMinute() {
        if (!QFile::exists(QString::fromLatin1(FakeTimeLibrary)))
            QSKIP("faketime is not installed");
        Store store;
        store.nightlyToDriveE();
        store.drives.writeFile('c', "Tillora/Sales/day.dat", "the day's sales");
        store.drives.writeFile('c', "Shiftra/data/hours.dat", "hours");

        // Twenty seconds before the start time; the scheduler's ticks come every 5.5 s.
        QProcess program;
        store.startAt(program, QStringLiteral("2026-12-08 02:59:40"));
        QByteArray seen;
        QVERIFY2(waitForOutput(program, "resident", seen, 20000), seen.constData());
        QVERIFY(!store.drives.exists('e', "TLRAbackup"));
        QTRY_VERIFY_WITH_TIMEOUT(store.drives.exists('e', "TLRAbackup/Tillora/Sales/day.dat"),
                                 30000);
        QTRY_VERIFY_WITH_TIMEOUT(!store.drives.readFile('c', SettingsPath).contains("12/6/2026"),
                                 10000);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Shiftra/data/hours.dat"),
                 QByteArray("hours"));

        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 0);
    }

    // Ending the program while a backup copies must end it there and then: the run does
    // not carry on invisibly, and a run cut short is not recorded as done.
    void aKillDuringTheBackupEndsTheProgramAtOnce() {
        if (!QFile::exists(QString::fromLatin1(FakeTimeLibrary)))
            QSKIP("faketime is not installed");
        Store store;
        const QByteArray settings = store.nightlyToDriveE();
        constexpr int FileCount = 20000;
        for (int i = 0; i < FileCount; ++i)
            store.drives.writeFile(
                'c', QStringLiteral("Tillora/Sales/%1.dat").arg(i, 5, 10, QChar(u'0')), "sale");

        QProcess program;
        store.startAt(program, QStringLiteral("2026-12-08 02:59:40"));
        QByteArray seen;
        QVERIFY2(waitForOutput(program, "resident", seen, 20000), seen.constData());
        const QString sales = store.drives.root('e') + QStringLiteral("/TLRAbackup/Tillora/Sales");
        QTRY_VERIFY_WITH_TIMEOUT(QDir(sales).entryList(QDir::Files).size() > 10, 30000);

        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(QDir(sales).entryList(QDir::Files).size() < FileCount);
        QCOMPARE(store.drives.readFile('c', SettingsPath), settings);
    }
};

QTEST_GUILESS_MAIN(TestResidentProcess)
#include "tst_resident_process.moc"
