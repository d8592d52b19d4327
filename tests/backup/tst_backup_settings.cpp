// The backup settings file, its drive checks and the folder values read at start-up.
#include "BackupOptions.h"
#include "BackupSettingsFile.h"
#include "FakePlatform.h"
#include "FakePrompts.h"
#include "PosSettingsRecord.h"
#include "TempDrives.h"

#include <QFile>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

const QByteArray DefaultFile = "\"Time Start    \",\"03:00 am\"\r\n"
                               "\"Backup From   \",\"c:\\\"\r\n"
                               "\"Backup To     \",\"c:\\\"\r\n"
                               "\"Tillora\",\"-1\"\r\n"
                               "\"Shiftra\",\"-1\"\r\n"
                               "\"Loyvana\",\"-1\"\r\n"
                               "\"Cardessa\",\"-1\"\r\n"
                               "\"Last Date     \",\"Never\"\r\n"
                               "\"Paydex\",\"0\"\r\n"
                               "\"Backup to is a Network Drive\",\"0\"\r\n";

const QString SettingsPath = QStringLiteral("Tillora/ini/Autobackup.dat");

struct Store {
    TempDrives drives;
    FakePlatform platform{drives.driveFolder()};
    FakePrompts prompts;
    ProgramValues values;
    BackupSettingsFile file{platform, prompts, values};

    Store() {
        drives.addDrive('c');
        drives.addDrive('e', QStringLiteral("BACKUP"));
    }
    void writeSettings(const QByteArray& bytes) { drives.writeFile('c', SettingsPath, bytes); }
    QByteArray settingsBytes() const { return drives.readFile('c', SettingsPath); }
};

// A settings file with the given drive values and distinctive folder rows.
QByteArray fileWith(const QByteArray& from, const QByteArray& to, const QByteArray& lastDate,
                    bool withNetworkLine = true) {
    QByteArray bytes = "\"Time Start    \",\"10:15 pm\"\r\n"
                       "\"Backup From   \",\"" +
                       from +
                       "\"\r\n"
                       "\"Backup To     \",\"" +
                       to +
                       "\"\r\n"
                       "\"Data\",0\r\n"
                       "\"Clock\",-1\r\n"
                       "\"Rewards\",0\r\n"
                       "\"Gift\",-1\r\n"
                       "\"Last Date     \",\"" +
                       lastDate +
                       "\"\r\n"
                       "\"Pay\",-1\r\n";
    if (withNetworkLine)
        bytes += "\"Backup to is a Network Drive\",-1\r\n";
    return bytes;
}

} // namespace

class TestBackupSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstStartWritesTheDefaultFileAndReadsItBack() {
        Store store;
        const BackupSettings loaded = store.file.load(BackupSettings{});

        // Told without holding start-up.
        QVERIFY(store.prompts.asked.isEmpty());
        QCOMPARE(store.prompts.notified.size(), 1);
        QCOMPARE(store.prompts.notified[0].title, QStringLiteral("Config file Missing"));
        QCOMPARE(store.prompts.notified[0].text,
                 QStringLiteral("Unable to locate the CONFIG file for your backups.We are using "
                                "the default settings, please review them."));
        QCOMPARE(store.prompts.notified[0].icon, PromptIcon::Critical);
        QCOMPARE(store.settingsBytes(), DefaultFile);

        QCOMPARE(loaded.startTime, QStringLiteral("03:00 am"));
        QCOMPARE(loaded.sourceDrive, QStringLiteral("c:"));
        QCOMPARE(loaded.destinationDrive, QStringLiteral("c:"));
        QCOMPARE(loaded.flags, (std::array<int, 6>{-1, -1, -1, -1, 0, 0}));
        QCOMPARE(loaded.lastDate, QStringLiteral("Never"));

        // Loading again finds the file: no second message.
        store.file.load(loaded);
        QCOMPARE(store.prompts.notified.size(), 1);
    }

    void savedFileHasBareFlagsAndTheExactLines() {
        Store store;
        BackupSettings s;
        s.startTime = QStringLiteral("3:15 am");
        s.destinationDrive = QStringLiteral("e: [BACKUP]");
        s.flags = {-1, 0, -1, 0, -1, -1};
        s.lastDate = QStringLiteral("12/7/2026");
        QVERIFY(store.file.save(s));
        QCOMPARE(store.settingsBytes(), QByteArray("\"Time Start    \",\"3:15 am\"\r\n"
                                                   "\"Backup From   \",\"c:\"\r\n"
                                                   "\"Backup To     \",\"e: [BACKUP]\"\r\n"
                                                   "\"Tillora\",-1\r\n"
                                                   "\"Shiftra\",0\r\n"
                                                   "\"Loyvana\",-1\r\n"
                                                   "\"Cardessa\",0\r\n"
                                                   "\"Last Date     \",\"12/7/2026\"\r\n"
                                                   "\"Paydex\",-1\r\n"
                                                   "\"Backup to is a Network Drive\",-1\r\n"));
        QCOMPARE(store.file.load(BackupSettings{}), s);
        QVERIFY(store.prompts.asked.isEmpty());
    }

    void quotedAndBareFlagsLoadAlike() {
        Store quoted;
        quoted.writeSettings(DefaultFile);
        Store bare;
        bare.writeSettings(BackupSettingsFile::savedBytes(quoted.file.load(BackupSettings{})));
        QCOMPARE(bare.file.load(BackupSettings{}), quoted.file.load(BackupSettings{}));
        QVERIFY(!bare.settingsBytes().contains("\"-1\""));
    }

    void nineLineFileFromAnOlderVersionLoadsWithTheNetworkFlagClear() {
        Store store;
        BackupSettings current;
        current.flags[BackupSettings::NetworkRow] = -1;
        store.writeSettings(fileWith("c:", "e: [BACKUP]", "12/6/2026", false));
        const BackupSettings s = store.file.load(current);
        QVERIFY(store.prompts.asked.isEmpty());
        QCOMPARE(s.startTime, QStringLiteral("10:15 pm"));
        QCOMPARE(s.destinationDrive, QStringLiteral("e: [BACKUP]"));
        QCOMPARE(s.folderNames,
                 (std::array<QString, 5>{"Data", "Clock", "Rewards", "Gift", "Pay"}));
        QCOMPARE(s.flags, (std::array<int, 6>{0, -1, 0, -1, -1, 0}));
        QCOMPARE(s.lastDate, QStringLiteral("12/6/2026"));
    }

    void aDriveThatIsNotConnectedKeepsEverySavedValue() {
        Store store;
        store.drives.pullDrive('e');
        const QByteArray saved = fileWith("g:", "e: [BACKUP]", "12/6/2026");
        store.writeSettings(saved);
        const BackupSettings s = store.file.load(BackupSettings{});

        QVERIFY(store.prompts.asked.isEmpty());
        QCOMPARE(store.prompts.notified.size(), 2);
        QCOMPARE(store.prompts.notified[0].title, QStringLiteral("Source Drive not Found"));
        QCOMPARE(store.prompts.notified[1].title, QStringLiteral("Backup Drive not Found"));
        QCOMPARE(store.prompts.notified[1].text,
                 QStringLiteral("You have set the backup drive as e:, but this drive is not "
                                "connected. Your backup settings are kept; please reconnect the "
                                "drive."));
        QVERIFY(store.file.save(s));
        QCOMPARE(store.settingsBytes(), saved);
    }

    void anUnreachableDataDriveIsOneMessage() {
        Store store;
        const QString root = QDir::toNativeSeparators(store.platform.nativePath("c:\\"));
        store.drives.pullDrive('c');
        const BackupSettings s = store.file.load(BackupSettings{});
        QVERIFY(store.prompts.asked.isEmpty());
        QCOMPARE(store.prompts.notified.size(), 1);
        QCOMPARE(store.prompts.notified[0].text,
                 QStringLiteral("Drive C: (the store's data drive) cannot be reached: ") + root);
        QCOMPARE(s, BackupSettings{});
        QVERIFY(!store.file.save(s)); // already told: no "Settings not Saved" on top
        QVERIFY(store.prompts.asked.isEmpty());
    }

    void lastDateOfMinusOneShowsNever() {
        Store store;
        store.writeSettings(fileWith("c:", "c:", "-1"));
        QCOMPARE(store.file.load(BackupSettings{}).lastDate, QStringLiteral("Never"));
    }

    void shortOrDamagedFileLeavesTheUnreachedValues() {
        Store store;
        QByteArray bytes = fileWith("c:", "e:", "12/1/2026");
        bytes.truncate(bytes.indexOf("\"Rewards\""));
        store.writeSettings(bytes);
        const BackupSettings s = store.file.load(BackupSettings{});
        QVERIFY(store.prompts.asked.isEmpty());
        QCOMPARE(s.folderNames[1], QStringLiteral("Clock"));
        QCOMPARE(s.folderNames[2], QStringLiteral("Loyvana"));
        QCOMPARE(s.lastDate, QStringLiteral("Never"));
    }

    void commaInAFolderNameReadsBackAsOneValueAndAQuoteIsRefused() {
        Store store;
        BackupSettings s;
        s.folderNames[2] = QStringLiteral("Loyvana, old");
        QVERIFY(store.file.save(s));
        const BackupSettings back = store.file.load(BackupSettings{});
        QCOMPARE(back.folderNames[2], QStringLiteral("Loyvana, old"));
        QCOMPARE(back.flags, s.flags);

        QVERIFY(!BackupSettingsFile::folderNameProblem(QStringLiteral("Loyvana, old")));
        const auto problem = BackupSettingsFile::folderNameProblem(QStringLiteral("My \"Data\""));
        QVERIFY(problem);
        QVERIFY(problem->contains(QStringLiteral("double quote")));
    }

    void missingIniFolderIsCreatedAndAnUnwritableFileIsReportedOnce() {
        Store store;
        QVERIFY(!store.drives.exists('c', QStringLiteral("Tillora/ini")));
        QVERIFY(store.file.save(BackupSettings{}));
        QVERIFY(store.drives.exists('c', SettingsPath));

        // A data folder on a drive that is gone cannot be written: one message, then quiet
        // until a save succeeds again.
        store.values.DataDIR = QStringLiteral("q:\\Tillora\\");
        QVERIFY(!store.file.save(BackupSettings{}));
        QVERIFY(!store.file.save(BackupSettings{}));
        QCOMPARE(store.prompts.asked.size(), 1);
        QCOMPARE(store.prompts.asked[0].icon, PromptIcon::Critical);
        QCOMPARE(store.prompts.asked[0].title, QStringLiteral("Settings not Saved"));
        store.values.DataDIR = QStringLiteral("c:\\Tillora\\");
        QVERIFY(store.file.save(BackupSettings{}));
        store.values.DataDIR = QStringLiteral("q:\\Tillora\\");
        QVERIFY(!store.file.save(BackupSettings{}));
        QCOMPARE(store.prompts.asked.size(), 2);
    }

    void saveReplacesTheWholeFileAndLeavesNoTemporaryFile() {
        Store store;
        store.writeSettings(QByteArray(5000, 'x'));
        QVERIFY(store.file.save(BackupSettings{}));
        QCOMPARE(store.settingsBytes(), BackupSettingsFile::savedBytes(BackupSettings{}));
        QCOMPARE(QDir(store.drives.root('c') + QStringLiteral("/Tillora/ini"))
                     .entryList(QDir::Files | QDir::Hidden)
                     .size(),
                 1);
    }

    void selectableDriveGivesTheSelectorTextForTheLetter() {
        Store store;
        QCOMPARE(BackupSettingsFile::selectableDrive(store.platform, QStringLiteral("E:\\")),
                 QStringLiteral("e: [BACKUP]"));
        QCOMPARE(BackupSettingsFile::selectableDrive(store.platform, QStringLiteral("e: [OLD]")),
                 QStringLiteral("e: [BACKUP]"));
        QVERIFY(!BackupSettingsFile::selectableDrive(store.platform, QStringLiteral("")));
        QVERIFY(!BackupSettingsFile::selectableDrive(store.platform, QStringLiteral("x:")));
    }

    void posSettingsGiveTheFolderValues() {
        Store store;
        ProgramValues values;
        readPosSettings(store.platform, values);
        QCOMPARE(values.DataDIR, QStringLiteral("c:\\Tillora\\"));
        QCOMPARE(values.ShiftraDIR, QStringLiteral("c:\\shiftra\\"));
        QCOMPARE(values.CompanyName, QStringLiteral("XXXXX"));

        PosSettingsRecord record;
        record.set(PosSettingsRecord::CompanyName, QStringLiteral("  Joe's Diner"));
        record.set(PosSettingsRecord::ServerDirectory, QStringLiteral("D:\\POS\\"));
        record.set(PosSettingsRecord::ShiftraDirectory, QStringLiteral("D:\\Clock"));
        // Stored in another letter case than the program asks for.
        store.drives.writeFile('c', QStringLiteral("TILLORA/TLRAINI.DAT"), record.bytes());
        readPosSettings(store.platform, values);
        QCOMPARE(values.DataDIR, QStringLiteral("D:\\POS\\"));
        QCOMPARE(values.RemoteDIR, QStringLiteral("D:\\POS\\"));
        QCOMPARE(values.ShiftraDIR, QStringLiteral("D:\\Clock\\"));
        QCOMPARE(values.CompanyName, QStringLiteral("Joe's Diner"));

        // Bytes that are not text never become a folder: the folder keeps its default.
        PosSettingsRecord damaged = record;
        damaged.set(PosSettingsRecord::ServerDirectory, QString(40, QChar(0)));
        damaged.set(PosSettingsRecord::ShiftraDirectory, QStringLiteral("D:\\Clo\x01k"));
        store.drives.writeFile('c', QStringLiteral("TILLORA/TLRAINI.DAT"), damaged.bytes());
        QCOMPARE(readPosSettings(store.platform, values), PosSettingsFile::Read);
        QCOMPARE(values.DataDIR, QStringLiteral("c:\\Tillora\\"));
        QCOMPARE(values.ShiftraDIR, QStringLiteral("c:\\shiftra\\"));
        QCOMPARE(values.CompanyName, QStringLiteral("Joe's Diner"));

        // An empty or cut-short file is not used at all.
        for (const int size : {0, 196, 960}) {
            store.drives.writeFile('c', QStringLiteral("TILLORA/TLRAINI.DAT"),
                                   record.bytes().left(size));
            QCOMPARE(readPosSettings(store.platform, values), PosSettingsFile::Damaged);
            QCOMPARE(values.DataDIR, QStringLiteral("c:\\Tillora\\"));
            QCOMPARE(values.CompanyName, QStringLiteral("XXXXX"));
        }
    }

    // The options file is shared with other groups: a damaged value reads as its
    // default, and saving the backup's group keeps the others word for word.
    void backupOptionsFallBackAndKeepOtherGroups() {
        Store store;
        QCOMPARE(BackupOptions::load(store.platform, store.values).keepVersionsDays, 14);
        store.drives.writeFile('c', QStringLiteral("Tillora/ini/BackupOptions.ini"),
                               "[Backup]\nSkipUnchanged=maybe\nKeepVersionsDays=-3\n"
                               "KeepWeeklyVersions=x\nKeepMonthlyVersions=3\n"
                               "CatchUpMissedRun=false\n[Offsite]\nRepository=b2:bucket:store1\n");
        BackupOptions options = BackupOptions::load(store.platform, store.values);
        QVERIFY(options.skipUnchanged);
        QCOMPARE(options.keepVersionsDays, 14);
        QCOMPARE(options.keepWeeklyVersions, 8);
        QCOMPARE(options.keepMonthlyVersions, 3);
        QVERIFY(!options.catchUpMissedRun);
        options.keepVersionsDays = 0;
        QVERIFY(options.save(store.platform, store.values));
        const QByteArray saved =
            store.drives.readFile('c', QStringLiteral("Tillora/ini/BackupOptions.ini"));
        QVERIFY(saved.contains("KeepVersionsDays=0"));
        QVERIFY(saved.contains("KeepWeeklyVersions=8"));
        QVERIFY(saved.contains("Repository=b2:bucket:store1"));
    }
};

QTEST_GUILESS_MAIN(TestBackupSettings)
#include "tst_backup_settings.moc"
