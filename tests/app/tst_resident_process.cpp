// The real tillora-backup program: it becomes resident against a drive folder, refuses a
// second copy, runs the nightly backup at its minute, and a kill ends it through its
// terminate path with the settings saved.
#include "HttpsTestServer.h"
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

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < ms)
        QTest::qWait(100);
    return done();
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

    // Set up through Notify.ini for push alone, to a server of the store's own with its CA
    // file and a token, the program sends the 10:00 reports there with their exact texts.
    void tenOClockReportsArriveByPush() {
        if (!QFile::exists(QString::fromLatin1(FakeTimeLibrary)))
            QSKIP("faketime is not installed");
        HttpsTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        Store store;
        QByteArray texter;
        for (const char* line : {"1", "000-000-0000", "Verizon", "10:00 am", "10:00 pm", "1", "1",
                                 "0", "1", "12/07/2026 at 08:00 AM", "number@vtext.com", "", "",
                                 "FUTURE", "Data file for Text Messege"})
            texter += QByteArray("\"") + line + "\"\r\n";
        store.drives.writeFile('c', "Tillora/ini/MobileText.dat", texter);
        store.drives.writeFile('c', "Tillora/TDTenders.daT",
                               "\"T1\",\"CASH\",10.006,1,\"12/09/2026\",\"09:00\",0,0,0,0,0,\"A\","
                               "\"B\",7\r\n");
        store.drives.writeFile('c', "Tillora/ini/DiscountList.daT",
                               "\"D\",\"Senior\",3,\"x\",1.5,0,\"y\",1\r\n");
        QFile cert(server.certificateFile());
        QVERIFY(cert.open(QIODevice::ReadOnly));
        store.drives.writeFile('c', "Tillora/ini/ca.pem", cert.readAll());
        store.drives.writeFile(
            'c', "Tillora/ini/Notify.ini",
            "[Gateway]\nEnabled=false\n[Push]\nEnabled=true\nServer=" + server.url().toUtf8() +
                "\nTopic=store-reports-8Kd3\n"
                "CAFile=c:\\\\Tillora\\\\ini\\\\ca.pem\n");
        // The token lives in the user's own settings folder, not under the data folder.
        QTemporaryDir config;
        QDir(config.path()).mkpath("tillora-backup");
        QFile secrets(config.filePath("tillora-backup/secrets.ini"));
        QVERIFY(secrets.open(QIODevice::WriteOnly));
        secrets.write("[Push]\nToken=tk_store_owner\n");
        secrets.close();
        store.env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        store.env.insert(QStringLiteral("LC_ALL"), QStringLiteral("en_US.UTF-8"));

        // Tomorrow, so that the server's new certificate is valid on the program's clock.
        const QDate day = QDate::currentDate().addDays(1);
        QProcess program;
        store.startAt(program, day.toString(Qt::ISODate) + QStringLiteral(" 09:59:40"));
        QByteArray seen;
        QVERIFY2(waitForOutput(program, "resident", seen, 20000), seen.constData());
        QVERIFY2(waitFor([&] { return store.drives.exists('c', "Tillora/TxtMsg.log"); }, 40000),
                 (seen + program.readAllStandardError()).constData());
        QVERIFY2(server.received().size() == 3,
                 store.drives.readFile('c', "Tillora/TxtMsg.log").constData());

        const QLocale us(QLocale::English, QLocale::UnitedStates);
        const QString when = u' ' + us.toString(day, "'on' dddd MMMM dd yyyy") + u' ';
        const QString trailer =
            QStringLiteral("\r\nThis Text message sent from Tillora, The professionals Choice.");
        const QList<ReceivedRequest> got = server.received();
        const QStringList titles{"Current Sales Total", "Total Discounts Today",
                                 "Clocked in Employees"};
        const QStringList bodies{
            "The current sales total for XXXXX is $10.01" + when + "at 10:00 AM" + trailer,
            "The Discount Total for XXXXX today is $4.50" + when + "at 10:00 AM" + trailer,
            "Currently clocked in at XXXXX are |" + when + "as of 10:00 AM" + trailer};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(got[i].path, QStringLiteral("/store-reports-8Kd3"));
            QCOMPARE(got[i].header("Title"), titles[i]);
            QCOMPARE(QString::fromUtf8(got[i].body), bodies[i]);
            QCOMPARE(got[i].header("Authorization"), QStringLiteral("Bearer tk_store_owner"));
        }
        QCOMPARE(QString::fromLatin1(store.drives.readFile('c', "Tillora/TxtMsg.log")),
                 "Text Sucessfully Sent  on " + us.toString(day, "dddd MM/dd/yyyy") +
                     " at 10:00 AM\r\n");

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
