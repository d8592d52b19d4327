// The copying part of a backup run: unchanged files skipped, dated
// versions, the flush before the date, names of every kind, every file accounted for,
// permissions kept, a run killed part way leaving every file whole, and the copies read
// back and repaired.
#include "BackupOptions.h"
#include "BackupStore.h"
#include "ChunkedFileCopy.h"
#include "RunSummary.h"
#include "SystemFaults.h"
#include "VerifySlices.h"
#include "VersionTiers.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tillora;
using namespace tillora::test;
using Outcome = BackupEngine::Outcome;

namespace {

const QDateTime Noon(QDate(2026, 11, 30), QTime(12, 0));

// Only the Tillora row, and the options file outside the folders that are backed up. Day
// folders only, unless a test asks for weekly and monthly ones.
void tilloraOnly(BackupStore& store, bool skipUnchanged = true, int keepVersionsDays = 14,
                 int keepWeeks = 0, int keepMonths = 0) {
    store.window.enabled = {true, false, false, false, false, false};
    store.values.DataDIR = QStringLiteral("c:\\Store\\");
    BackupOptions options;
    options.skipUnchanged = skipUnchanged;
    options.keepVersionsDays = keepVersionsDays;
    options.keepWeeklyVersions = keepWeeks;
    options.keepMonthlyVersions = keepMonths;
    QVERIFY(options.save(store.platform, store.values).ok);
}

void setModified(const QString& path, const QDateTime& time) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

QFile::Permissions permissionsOf(const QString& path) {
    return QFileInfo(path).permissions() & (QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                            QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                            QFile::ReadOther | QFile::WriteOther | QFile::ExeOther);
}

// Runs "Backup Now" at 3:00 am of a day; a second run on a day is confirmed as the
// operator would.
BackupRunResult runOn(BackupStore& store, const QDate& day) {
    store.clock.set(QDateTime(day, QTime(3, 0)));
    store.prompts.answers.enqueue(PromptAnswer::Yes);
    BackupRunResult result = store.engine.RunBackup(BackupEngine::Trigger::BackupNow);
    store.prompts.answers.clear();
    return result;
}

// Raw file names, as the system has them.
QList<QByteArray> rawNames(const QString& folder) {
    QList<QByteArray> names;
    for (const auto& entry :
         std::filesystem::directory_iterator(QFile::encodeName(folder).toStdString())) {
        if (entry.is_regular_file())
            names.append(QByteArray::fromStdString(entry.path().filename().string()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray readRaw(const QByteArray& path) {
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return "(cannot be read)";
    return file.readAll();
}

void writeRaw(const QByteArray& path, const QByteArray& bytes) {
    QFile file;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0 && file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    QCOMPARE(file.write(bytes), bytes.size());
}

// How many of this process's open files are (or were, before a removal) named `name`.
int openFilesNamed(const QString& name) {
    int count = 0;
    for (const QFileInfo& fd :
         QDir(QStringLiteral("/proc/self/fd"))
             .entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        if (fd.symLinkTarget().contains(QLatin1Char('/') + name))
            ++count;
    }
    return count;
}

qint64 bytesBelow(const QString& folder) {
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

// Spoils the first byte of a backup copy, leaving its size and time as they were.
void damageFirstByte(BackupStore& store, const QString& relativePath) {
    const QString path = store.drives.root('e') + u'/' + relativePath;
    const QDateTime modified = QFileInfo(path).lastModified();
    QByteArray bytes = store.drives.readFile('e', relativePath);
    bytes[0] = '#';
    store.drives.writeFile('e', relativePath, bytes);
    setModified(path, modified);
}

QStringList inWords(const QList<VersionMerge>& merges) {
    QStringList words;
    for (const VersionMerge& merge : merges)
        words.append(merge.from.toString("MM-dd") + " > " +
                     (merge.into ? merge.into->toString("MM-dd") : QString("gone")));
    return words;
}

// --- the killed run --------------------------------------------------------------------

// The store of the killed-run test: one large file and ten small ones, each in an
// earlier and a later form.
constexpr int SmallFiles = 10;
// A later form has another size: a file rewritten within 2 s at the same size would
// rightly look unchanged.
QByteArray bigContent(bool later) {
    return later ? QByteArray((3 << 20) + 1000, 'n') : QByteArray(3 << 20, 'o'); // 6-7 chunks
}
QByteArray smallContent(int i, bool later) {
    return later ? QByteArray("later form of file ") + QByteArray::number(i)
                 : QByteArray("earlier ") + QByteArray::number(i);
}
void writeSources(BackupStore& store, bool later) {
    store.drives.writeFile('c', "Tillora/big.dat", bigContent(later));
    for (int i = 0; i < SmallFiles; ++i)
        store.drives.writeFile('c', QStringLiteral("Tillora/s%1.dat").arg(i),
                               smallContent(i, later));
}

// The child process: the real engine over the test's drive folder, killed (SIGKILL, no
// clean-up) at the n-th time it reaches the given stage of replacing a file.
int interruptedRun(char** argv) {
    int argc = 1;
    QCoreApplication app(argc, argv);
    FakePlatform platform{QString::fromLocal8Bit(argv[2])};
    FakeBackupWindow window;
    window.enabled = {true, false, false, false, false, false};
    ManualClock clock{QDateTime(QDate(2026, 12, 8), QTime(3, 0))};
    FakePrompts prompts;
    ProgramValues values;
    BackupEngine engine(window, window, platform, clock, prompts, values, {});
    const auto stage = CopyStage(std::atoi(argv[3]));
    const int at = std::atoi(argv[4]);
    int seen = 0;
    engine.setCopyObserver([&](CopyStage reached) {
        if (reached == stage && ++seen == at)
            killThisProcess();
    });
    engine.RunBackup();
    return 3; // not killed: the stage was never reached as often as asked
}

} // namespace

class TestBackupCopy : public QObject {
    Q_OBJECT
private slots:
    void skipsUnchangedFilesAndCopiesChangedOnes_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<qint64>("backupLaterBySeconds");
        QTest::addColumn<bool>("skipUnchanged");
        QTest::addColumn<bool>("copied");
        QTest::newRow("same size and time") << QByteArray("new!") << 0LL << true << false;
        QTest::newRow("backup 2 s older (FAT)") << QByteArray("new!") << -2LL << true << false;
        QTest::newRow("backup 2 s newer") << QByteArray("new!") << 2LL << true << false;
        QTest::newRow("backup 3 s older") << QByteArray("new!") << -3LL << true << true;
        QTest::newRow("backup 3 s newer") << QByteArray("new!") << 3LL << true << true;
        QTest::newRow("an hour later") << QByteArray("new!") << 3600LL << true << true;
        QTest::newRow("an hour earlier") << QByteArray("new!") << -3600LL << true << true;
        QTest::newRow("another size") << QByteArray("new!!") << 0LL << true << true;
        QTest::newRow("skipping turned off") << QByteArray("new!") << 0LL << false << true;
    }
    void skipsUnchangedFilesAndCopiesChangedOnes() {
        QFETCH(QByteArray, source);
        QFETCH(qint64, backupLaterBySeconds);
        QFETCH(bool, skipUnchanged);
        QFETCH(bool, copied);
        BackupStore store;
        tilloraOnly(store, skipUnchanged);
        // Same size as the backup's "old!" unless the row says otherwise; only a copy
        // changes what the backup holds.
        setModified(store.drives.writeFile('c', "Tillora/data/a.dat", source), Noon);
        setModified(store.drives.writeFile('e', "TLRAbackup/Tillora/data/a.dat", "old!"),
                    Noon.addSecs(backupLaterBySeconds));
        setModified(store.drives.writeFile('c', "Tillora/data/b.dat", "same"), Noon);
        setModified(store.drives.writeFile('e', "TLRAbackup/Tillora/data/b.dat", "same"), Noon);

        const BackupRunResult result = store.engine.RunBackup();
        QCOMPARE(result.outcome, Outcome::Completed);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/data/a.dat"),
                 copied ? source : QByteArray("old!"));
        QCOMPARE(result.filesCopied, (copied ? 1 : 0) + (skipUnchanged ? 0 : 1));
        QCOMPARE(result.filesUnchanged, (copied ? 0 : 1) + (skipUnchanged ? 1 : 0));
        QCOMPARE(result.bytesCopied, (copied ? source.size() : 0) + (skipUnchanged ? 0 : 4));
        // The copy carries the source's time, so the next run skips it.
        if (copied) {
            QCOMPARE(
                QFileInfo(store.drives.root('e') + "/TLRAbackup/Tillora/data/a.dat").lastModified(),
                Noon);
        }
        // A changed file's earlier copy is kept; an unchanged one copied anyway is not.
        QCOMPARE(result.versionsKept, copied && skipUnchanged ? 1 : 0);
    }

    void keepsDatedVersionsAndPrunesThemByAge() {
        BackupStore store;
        tilloraOnly(store);
        store.window.enabled[1] = true;
        store.drives.writeFile('c', "Tillora/data/a.dat", "a, first");
        store.drives.writeFile('c', "Tillora/b.dat", "b, first");
        store.drives.writeFile('c', "Shiftra/data/s.dat", "s, first");
        store.drives.writeFile('e', "TLRAversions/notes/mine.txt", "not ours");
        QCOMPARE(runOn(store, QDate(2026, 12, 1)).versionsKept, 0);
        QVERIFY(!store.drives.exists('e', "TLRAversions/2026-12-01"));

        // A changed file's earlier copy goes below the day's folder, by its own path.
        store.drives.writeFile('c', "Tillora/data/a.dat", "a, second");
        store.drives.writeFile('c', "Shiftra/data/s.dat", "s, second");
        BackupRunResult result = runOn(store, QDate(2026, 12, 2));
        QCOMPARE(result.outcome, Outcome::Completed);
        QCOMPARE(result.versionsKept, 2);
        QCOMPARE(result.filesCopied, 2);
        QCOMPARE(store.tree('e', "TLRAversions/2026-12-02"),
                 QStringList({"Shiftra/", "Shiftra/data/", "Shiftra/data/s.dat", "Tillora/",
                              "Tillora/data/", "Tillora/data/a.dat"}));
        QCOMPARE(store.drives.readFile('e', "TLRAversions/2026-12-02/Tillora/data/a.dat"),
                 "a, first");
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/data/a.dat"), "a, second");

        // A second change on the same day keeps the first version of the day.
        store.drives.writeFile('c', "Tillora/data/a.dat", "a, third");
        result = runOn(store, QDate(2026, 12, 2));
        QCOMPARE(result.versionsKept, 0);
        QCOMPARE(store.drives.readFile('e', "TLRAversions/2026-12-02/Tillora/data/a.dat"),
                 "a, first");
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/data/a.dat"), "a, third");

        // Fourteen days on the folder stays; fifteen days on it goes.
        store.drives.writeFile('c', "Tillora/b.dat", "b, second");
        result = runOn(store, QDate(2026, 12, 16));
        QCOMPARE(result.versionsPruned, 0);
        QVERIFY(store.drives.exists('e', "TLRAversions/2026-12-02"));
        QCOMPARE(store.drives.readFile('e', "TLRAversions/2026-12-16/Tillora/b.dat"), "b, first");
        result = runOn(store, QDate(2026, 12, 17));
        QCOMPARE(result.versionsPruned, 1);
        QVERIFY(!store.drives.exists('e', "TLRAversions/2026-12-02"));
        QVERIFY(store.drives.exists('e', "TLRAversions/2026-12-16"));

        // Keeping no versions: the copy is replaced as it stands, and the folders go. A
        // large copy replaced is freed off the run's thread, and freed all the same.
        tilloraOnly(store, true, 0);
        store.drives.writeFile('c', "Tillora/b.dat", "b, third");
        store.drives.writeFile('c', "Tillora/large.dat", QByteArray(17 << 20, 'x'));
        result = runOn(store, QDate(2026, 12, 18));
        QCOMPARE(result.versionsKept, 0);
        QCOMPARE(result.versionsPruned, 1);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/b.dat"), "b, third");
        QCOMPARE(store.tree('e', "TLRAversions"), QStringList({"notes/", "notes/mine.txt"}));
        store.drives.writeFile('c', "Tillora/large.dat", QByteArray(18 << 20, 'y'));
        QCOMPARE(runOn(store, QDate(2026, 12, 18)).filesCopied, 1);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/large.dat"),
                 QByteArray(18 << 20, 'y'));
        QTRY_COMPARE(openFilesNamed("large.dat"), 0);
    }

    void makesRoomByRemovingTheOldestVersionsFirst() {
        BackupStore store;
        tilloraOnly(store, true, 30);
        store.drives.writeFile('e', "TLRAversions/2026-11-20/Tillora/old.dat",
                               QByteArray(3 << 20, 'x'));
        store.drives.writeFile('e', "TLRAversions/2026-11-25/Tillora/old.dat",
                               QByteArray(3 << 20, 'y'));
        store.drives.writeFile('e', "TLRAbackup/Tillora/big.dat", QByteArray(1 << 20, 'o'));
        store.drives.writeFile('c', "Tillora/big.dat", QByteArray(2 << 20, 'n'));
        // A 10 MB drive: 7 MB are taken, and the 2 MB copy wants twice its size free.
        const QString drive = store.drives.root('e');
        store.platform.spaceOf = [&](const QString&) {
            const auto free = quint64((10 << 20) - bytesBelow(drive));
            return std::optional<DiskSpace>(DiskSpace{free, 10 << 20, free});
        };

        const BackupRunResult result = runOn(store, QDate(2026, 12, 8));
        QCOMPARE(result.outcome, Outcome::Completed);
        QCOMPARE(result.versionsPruned, 1);
        QCOMPARE(result.versionsKept, 1);
        QVERIFY(!store.drives.exists('e', "TLRAversions/2026-11-20"));
        QVERIFY(store.drives.exists('e', "TLRAversions/2026-11-25/Tillora/old.dat"));
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/big.dat").size(), 2 << 20);
    }

    // The rule alone (Tuesday 8 December; 14 days, 4 weeks, 2 months): the folders past
    // the limits, then the order in which the rest go for room.
    void sortsVersionFoldersIntoDaysWeeksAndMonths() {
        const QDate today(2026, 12, 8);
        const auto nov = [](int day) { return QDate(2026, 11, day); };
        const QList<QDate> folders{
            QDate(2026, 10, 6), nov(3), nov(4), nov(6), nov(10), nov(17), nov(19), nov(24), nov(26),
            QDate(2026, 12, 1), today};
        QCOMPARE(inWords(VersionTiers(folders, today, {14, 4, 2}).expired()),
                 QStringList({"10-06 > gone", "11-04 > 11-03", "11-06 > 11-03", "11-10 > 11-03",
                              "11-19 > 11-17"}));
        QList<VersionMerge> forRoom;
        QList<QDate> left{nov(3), nov(17), nov(24), nov(26), QDate(2026, 12, 1), today};
        while (const auto next = VersionTiers(left, today, {14, 4, 2}).nextToFree()) {
            forRoom.append(*next);
            left.removeOne(next->from);
        }
        QCOMPARE(inWords(forRoom), QStringList({"11-26 > 11-24", "11-17 > 11-03", "11-24 > 11-03",
                                                "11-03 > gone", "12-01 > gone"}));
    }

    // Past its days a day folder is merged into its week's first folder, and past its
    // weeks that one into its month's: a file changed once is still there as it was
    // before its week, and a later copy never replaces an earlier one.
    void mergesDayFoldersIntoWeeklyAndMonthlyOnes() {
        BackupStore store;
        tilloraOnly(store, true, 14, 8, 12);
        for (const QString name : {"a", "b", "c"})
            store.drives.writeFile('c', "Tillora/" + name, "first");
        runOn(store, QDate(2026, 10, 30));
        // Monday 2 November a, Wednesday b; the next week Wednesday c, Thursday a again.
        using Change = std::tuple<int, QString, QByteArray>;
        for (const auto& [day, name, text] :
             {Change{2, "a", "second"}, Change{4, "b", "second"}, Change{11, "c", "second"},
              Change{12, "a", "third"}}) {
            store.drives.writeFile('c', "Tillora/" + name, text);
            QCOMPARE(runOn(store, QDate(2026, 11, day)).versionsKept, 1);
        }
        const auto asOf = [&](const QString& day) {
            QStringList texts;
            for (const QString name : {"a", "b", "c"})
                texts.append(
                    store.drives.readFile('e', "TLRAversions/" + day + "/Tillora/" + name));
            return texts;
        };
        QCOMPARE(runOn(store, QDate(2026, 11, 27)).versionsPruned, 2);
        QCOMPARE(asOf("2026-11-02"), QStringList({"first", "first", ""}));
        QCOMPARE(asOf("2026-11-11"), QStringList({"second", "", "first"}));
        QCOMPARE(runOn(store, QDate(2027, 1, 15)).versionsPruned, 1);
        QCOMPARE(store.tree('e', "TLRAversions"),
                 QStringList({"2026-11-02/", "2026-11-02/Tillora/", "2026-11-02/Tillora/a",
                              "2026-11-02/Tillora/b", "2026-11-02/Tillora/c"}));
        QCOMPARE(asOf("2026-11-02"), QStringList({"first", "first", "first"}));
    }

    void writesTheDateOnlyAfterTheFlush() {
        BackupStore store;
        tilloraOnly(store);
        store.drives.writeFile('c', "Tillora/a.dat", "a");
        store.drives.writeFile('c', "Tillora/b.dat", "b");
        QStringList seen;
        store.platform.onFlush = [&](const QString& what) {
            seen.append(what + " with date " + store.window.lastDate + ", saves " +
                        QString::number(store.window.saves));
            if (what == "file") // flushed before the rename: the copy is not in place yet
                QVERIFY(!store.drives.exists(
                    'e', "TLRAbackup/Tillora/" + QString(seen.size() == 1 ? "a" : "b") + ".dat"));
        };
        QCOMPARE(store.engine.RunBackup().outcome, Outcome::Completed);
        QCOMPARE(seen,
                 QStringList({"file with date Never, saves 0", "file with date Never, saves 0",
                              "file system e:\\TLRAbackup\\ with date Never, saves 0"}));
        QCOMPARE(store.window.lastDate, QStringLiteral("12/8/2026"));
        QCOMPARE(store.window.saves, 1);

        // A drive that reports a failed flush: the data may not be on it, so no date.
        store.platform.flushSucceeds = false;
        store.window.lastDate = "12/1/2026";
        const BackupRunResult failed = store.engine.RunBackup();
        QCOMPARE(failed.outcome, Outcome::DestinationUnavailable);
        QVERIFY(failed.reason.contains("e:"));
        QCOMPARE(store.window.lastDate, QStringLiteral("12/1/2026"));
        QCOMPARE(store.window.saves, 1);
        QCOMPARE(store.window.failures.size(), 1);
    }

    void copiesNamesOfEveryKindAndClearsLeftovers() {
        if (!NamesAreBytes)
            QSKIP("names here are UTF-16 text: no name is bytes that are not UTF-8");
        BackupStore store;
        tilloraOnly(store);
        // Qt cannot name, so cannot remove, a file whose name is not valid text.
        const auto removeDrives = qScopeGuard([&] {
            std::error_code ignored;
            for (char letter : {'c', 'e'})
                std::filesystem::remove_all(
                    QFile::encodeName(store.drives.root(letter)).toStdString(), ignored);
        });
        const QByteArray source = QFile::encodeName(store.drives.root('c')) + "/Tillora/";
        const QByteArray backup =
            QFile::encodeName(store.drives.root('e')) + "/TLRAbackup/Tillora/";
        const QByteArray longest = QByteArray(251, 'L') + ".dat"; // 255 bytes, the limit
        const QByteArray latin1 = "caf\xe9.dat";                  // not valid UTF-8
        const QByteArray latin1Twin = "caf\xe8.dat";              // the same to a lossy decoder
        store.drives.writeFile('c', "Tillora/x", "");
        for (const QByteArray& name :
             {longest, latin1, latin1Twin, QByteArray("Kaffee \xe2\x98\x95.dat")})
            writeRaw(source + name, "contents of " + name);
        // Leftovers of interrupted runs, of this version and of earlier ones, and of the
        // write probe; a file the operator made that only looks alike stays.
        store.drives.writeFile('e', "TLRAbackup/Tillora/.tlra-0badcafe.partial", "half");
        store.drives.writeFile('e', "TLRAbackup/Tillora/x.tlra-partial", "half");
        store.drives.writeFile('e', "TLRAbackup/.tlra-probe-Ab12Cd", "");
        store.drives.writeFile('e', "TLRAbackup/Tillora/.tlra-notes.partial.txt", "mine");

        BackupRunResult result = store.engine.RunBackup();
        QCOMPARE(result.outcome, Outcome::Completed);
        QCOMPARE(result.filesCopied, 5);
        QCOMPARE(rawNames(QFile::decodeName(backup)),
                 QList<QByteArray>({".tlra-notes.partial.txt", "Kaffee \xe2\x98\x95.dat", longest,
                                    "caf\xe8.dat", "caf\xe9.dat", "x"}));
        for (const QByteArray& name : {longest, latin1, latin1Twin})
            QCOMPARE(readRaw(backup + name), "contents of " + name);
        QVERIFY(!store.drives.exists('e', "TLRAbackup/.tlra-probe-Ab12Cd"));

        // Unchanged, they are skipped; changed, the earlier copy keeps its long name.
        writeRaw(source + longest, "changed");
        result = runOn(store, store.clock.now().date().addDays(1));
        QCOMPARE(result.filesUnchanged, 4);
        QCOMPARE(result.versionsKept, 1);
        const QByteArray versions = QFile::encodeName(store.drives.root('e')) + "/TLRAversions/" +
                                    result.started.date().toString("yyyy-MM-dd").toUtf8() +
                                    "/Tillora/";
        QCOMPARE(readRaw(versions + longest), "contents of " + longest);
        QCOMPARE(readRaw(backup + longest), "changed");
    }

    void everySourceFileIsAccountedFor() {
        BackupStore store;
        tilloraOnly(store);
        store.window.enabled[2] = true; // Loyvana is ticked, and not in this store
        for (const char* name : {"gone.dat", "locked.dat", "clash.dat", "fine.dat"})
            store.drives.writeFile('c', QStringLiteral("Tillora/data/") + name, "first");
        QCOMPARE(store.engine.RunBackup().outcome, Outcome::Completed);

        const QString source = store.drives.root('c') + "/Tillora/data/";
        const QString backup = store.drives.root('e') + "/TLRAbackup/Tillora/data/";
        // A link that leads nowhere, a backup copy marked read-only (replaced all the
        // same), a folder where the backup copy was, and a file this user may not read.
        QFile::remove(source + "gone.dat");
        QVERIFY(QFile::link(source + "missing-target", source + "gone.dat"));
        store.drives.writeFile('c', "Tillora/data/locked.dat", "second");
        QFile::setPermissions(backup + "locked.dat", QFile::ReadOwner | QFile::ReadGroup);
        store.drives.writeFile('c', "Tillora/data/clash.dat", "second");
        QFile::remove(backup + "clash.dat");
        QDir().mkpath(backup + "clash.dat");
        store.drives.writeFile('c', "Tillora/data/secret.dat", "second");
        store.platform.unreadable = {"secret.dat"};

        const BackupRunResult result = runOn(store, QDate(2026, 12, 9));
        QCOMPARE(result.outcome, Outcome::CompletedWithProblems);
        QList<FileProblem> expected{
            {"c:\\Tillora\\data\\clash.dat", "the backup holds something else of that name"},
            {"c:\\Tillora\\data\\gone.dat", "a link to a file that does not exist"},
            {"c:\\Tillora\\data\\secret.dat", "Permission denied"},
        };
        if (LinksAreShortcutFiles) {
            // A shortcut is a file like any other, whatever it leads to: copied as it is.
            expected.removeAt(1);
            QCOMPARE(result.filesCopied, 2);
            QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/data/gone.dat"),
                     store.drives.readFile('c', "Tillora/data/gone.dat"));
        } else {
            QCOMPARE(result.filesCopied, 1);
            QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/data/gone.dat"), "first");
        }
        QCOMPARE(result.problems, expected);
        QCOMPARE(result.filesUnchanged, 1);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/data/locked.dat"), "second");
        QCOMPARE(store.drives.readFile('e', "TLRAversions/2026-12-09/Tillora/data/locked.dat"),
                 "first");
        // The ticked product that is not there is a note; its missing step folders are not.
        QCOMPARE(result.notes, QStringList({"c:\\Loyvana does not exist: its box is ticked, but "
                                            "there was nothing to copy from it"}));
        QCOMPARE(store.window.lastDate, QStringLiteral("12/9/2026"));
    }

    void aFileChangedWhileCopiedIsCopiedAgain() {
        BackupStore store;
        tilloraOnly(store);
        setModified(store.drives.writeFile('c', "Tillora/big.dat", bigContent(false)), Noon);
        // Rewritten at the same size a second later, while its first chunk is copied.
        store.engine.setCopyObserver([&, rewritten = false](CopyStage stage) mutable {
            if (stage == CopyStage::ChunkWritten && !std::exchange(rewritten, true))
                setModified(store.drives.writeFile('c', "Tillora/big.dat",
                                                   QByteArray(bigContent(false).size(), 'n')),
                            Noon.addSecs(1));
        });
        BackupRunResult result = runOn(store, QDate(2026, 12, 8));
        QCOMPARE(result.notes,
                 QStringList{"1 file changed while it was copied; copied again next run"});
        store.engine.setCopyObserver({});
        result = runOn(store, QDate(2026, 12, 9));
        QCOMPARE(result.filesCopied, 1);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/big.dat"),
                 QByteArray(bigContent(false).size(), 'n'));
        QVERIFY(result.notes.isEmpty());
    }

    void foldersNoStepNamesAreToldOrCopied() {
        BackupStore store;
        tilloraOnly(store);
        store.drives.writeFile('c', "Tillora/data/a.dat", "a");
        store.drives.writeFile('c', "Tillora/data/big/huge.dat", "huge");
        for (const char* name : {"1.dat", "2.dat", "old/3.dat"})
            store.drives.writeFile('c', QStringLiteral("Tillora/Sales/many/") + name, name);
        QVERIFY(QDir().mkpath(store.drives.root('c') + "/Tillora/empty"));
        BackupRunResult result = runOn(store, QDate(2026, 12, 8));
        QCOMPARE(result.outcome, Outcome::Completed);
        QCOMPARE(result.notes, QStringList{"2 folders with 4 files are not in the backup: "
                                           "c:\\Tillora\\Sales\\many (3 files), "
                                           "c:\\Tillora\\data\\big (1 file)"});
        QVERIFY(!store.drives.exists('e', "TLRAbackup/Tillora/Sales/many"));

        // Asked for, they go to the same place below the product's backup folder.
        BackupOptions options;
        options.includeOtherFolders = true;
        QVERIFY(options.save(store.platform, store.values).ok);
        result = runOn(store, QDate(2026, 12, 9));
        QCOMPARE(result.filesCopied, 4);
        QVERIFY(result.notes.isEmpty());
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/data/big/huge.dat"), "huge");
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/Sales/many/old/3.dat"),
                 "old/3.dat");
    }

    // A folder chain past 260 characters, the length Windows long allowed a whole path: a
    // file there is copied, read back and kept as a version like any other, and one that
    // cannot be copied is a problem of the run, never left out unseen.
    void copiesFilesInFoldersPastTheOldPathLimit() {
        BackupStore store;
        tilloraOnly(store);
        BackupOptions options;
        options.includeOtherFolders = true;
        QVERIFY(options.save(store.platform, store.values).ok);
        QString deep = QStringLiteral("Tillora/data");
        for (const char letter : {'x', 'y', 'z'})
            deep += u'/' + QString(90, QChar::fromLatin1(letter));
        const QString sales = deep + "/sales of the day.dat";
        store.drives.writeFile('c', sales, "first");
        store.drives.writeFile('c', deep + "/clash.dat", "mine");
        QVERIFY(QDir().mkpath(store.drives.root('e') + "/TLRAbackup/" + deep + "/clash.dat"));
        const QString clash = QString("c:/" + deep + "/clash.dat").replace(u'/', u'\\');
        const QList<FileProblem> problems{{clash, "the backup holds something else of that name"}};

        BackupRunResult result = runOn(store, QDate(2026, 12, 8));
        QCOMPARE(result.problems, problems);
        QCOMPARE(result.filesCopied, 1);
        QCOMPARE(result.verify->files, 1);
        QCOMPARE(result.verify->damaged, 0);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/" + sales), "first");

        store.drives.writeFile('c', sales, "second");
        result = runOn(store, QDate(2026, 12, 9));
        QCOMPARE(result.problems, problems);
        QCOMPARE(result.versionsKept, 1);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/" + sales), "second");
        QCOMPARE(store.drives.readFile('e', "TLRAversions/2026-12-09/" + sales), "first");
    }

    void keepsTheSourcePermissions() {
        if (!PermissionBitsAreKept)
            QSKIP("no permission bits to keep: a copy takes the access list of its folder");
        BackupStore store;
        tilloraOnly(store);
        const QString source = store.drives.root('c') + "/Tillora/ini/";
        const QString backup = store.drives.root('e') + "/TLRAbackup/Tillora/ini/";
        const auto owner = QFile::ReadOwner | QFile::WriteOwner;
        const QList<QPair<QString, QFile::Permissions>> files{
            {"MobileText.dat", owner},
            {"Shared.dat", owner | QFile::ReadGroup},
            {"ReadOnly.dat", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther},
            {"Skipped.dat", owner}};
        for (const auto& [name, permissions] : files) {
            store.drives.writeFile('c', "Tillora/ini/" + name, name.toUtf8());
            QVERIFY(QFile::setPermissions(source + name, permissions));
        }
        // Backed up before permissions were kept: readable by all, and unchanged since.
        store.drives.writeFile('e', "TLRAbackup/Tillora/ini/Skipped.dat", "Skipped.dat");
        QFile::setPermissions(backup + "Skipped.dat", owner | QFile::ReadGroup | QFile::ReadOther);
        setModified(source + "Skipped.dat", Noon);
        setModified(backup + "Skipped.dat", Noon);

        const BackupRunResult result = store.engine.RunBackup();
        QCOMPARE(result.filesUnchanged, 1);
        QCOMPARE(permissionsOf(backup + "MobileText.dat"), owner);
        QCOMPARE(permissionsOf(backup + "Shared.dat"), owner | QFile::ReadGroup);
        // The owner may always write the copy, or the next run could not replace it.
        QCOMPARE(permissionsOf(backup + "ReadOnly.dat"),
                 owner | QFile::ReadGroup | QFile::ReadOther);
        QCOMPARE(permissionsOf(backup + "Skipped.dat"), owner);
    }

    // Nights of random length: some read the whole slice, others stop part way; a PC that
    // is off has no night at all. 28 finished nights read every copy.
    void theSliceRuleReadsEveryCopyIn28FinishedNights() {
        QStringList keys;
        for (int i = 0; i < 600; ++i)
            keys.append(VerifySlices::keyOf(QStringLiteral("Tillora/data/T%1.dat").arg(i)));
        std::sort(keys.begin(), keys.end());
        QRandomGenerator random(28);
        for (int round = 0; round < 20; ++round) {
            QSet<QString> read;
            VerifySlices::Position at{int(random.bounded(VerifySlices::Count)), {}};
            int finishedNights = 0;
            int wraps = 0;
            while (finishedNights < VerifySlices::Count) {
                QStringList due;
                for (const QString& key : keys) {
                    if (VerifySlices::due(at, key))
                        due.append(key);
                }
                const bool whole = random.bounded(3) == 0;
                const int count = whole ? int(due.size()) : int(random.bounded(due.size() + 1));
                for (const QString& key : due.first(count))
                    read.insert(key);
                const bool finished = count == due.size();
                finishedNights += finished;
                wraps += VerifySlices::wrapsAround(at, finished);
                at = VerifySlices::next(at, finished, count ? due[count - 1] : QString());
            }
            QCOMPARE(read.size(), keys.size());
            QCOMPARE(wraps, 1);
        }
    }

    // The drive hands back other bytes than it was given: a byte spoilt after the copy.
    void aDamagedCopyIsKeptAsideAndCopiedAgain() {
        const QByteArray sales = QByteArray("the day's sales ").repeated(5000);
        for (const bool damagedAgain : {false, true}) {
            BackupStore store;
            tilloraOnly(store);
            store.drives.writeFile('c', "Tillora/a.dat", sales);
            store.drives.writeFile('c', "Tillora/b.dat", "other");
            int written = 0;
            store.engine.setCopyObserver([&](CopyStage stage) {
                // a.dat is copied first, and again after it was found damaged.
                if (stage == CopyStage::NewCopyInPlace && (written++ == 0 || damagedAgain))
                    damageFirstByte(store, "TLRAbackup/Tillora/a.dat");
            });
            const BackupRunResult result = runOn(store, QDate(2026, 12, 8));
            QVERIFY(result.verify);
            QCOMPARE(result.verify->damaged, 1);
            QCOMPARE(store.drives
                         .readFile('e', "TLRAversions/2026-12-08/Tillora/a.dat.damaged-2026-12-08")
                         .mid(1),
                     sales.mid(1));
            QVERIFY(result.notes.contains("1 backup copy was damaged and copied again"));
            QVERIFY(!summarize(result).line.contains("verified"));
            if (!damagedAgain) {
                QCOMPARE(result.outcome, Outcome::Completed);
                QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/a.dat"), sales);
                QCOMPARE(result.verify->files, 2); // b.dat, and a.dat once copied again
                continue;
            }
            QCOMPARE(result.outcome, Outcome::CompletedWithProblems);
            QCOMPARE(result.problems.size(), 1);
            QCOMPARE(result.problems[0].reason,
                     "the backup drive returns different data than was written: replace it");
        }
    }

    // A copy that rotted on the drive since it was written is found when its slice comes.
    void aRottenUnchangedCopyIsFoundInItsSlice() {
        BackupStore store;
        tilloraOnly(store);
        store.drives.writeFile('c', "Tillora/data/price.dat", "prices of the week");
        QVERIFY(runOn(store, QDate(2026, 12, 7)).verify->allGood());
        const QString copy = "TLRAbackup/Tillora/data/price.dat";
        damageFirstByte(store, copy);
        const int slice = VerifySlices::sliceOf("tillora\\data\\price.dat");
        QVERIFY(saveVerifyPosition(store.platform, store.values, {slice, {}}).ok);

        const BackupRunResult result = runOn(store, QDate(2026, 12, 8));
        QCOMPARE(result.filesUnchanged, 1);
        QCOMPARE(result.verify->damaged, 1);
        QCOMPARE(result.verify->slice, slice);
        QCOMPARE(store.drives.readFile('e', copy), "prices of the week");
        QCOMPARE(loadVerifyPosition(store.platform, store.values).slice,
                 (slice + 1) % VerifySlices::Count);
        QCOMPARE(result.verify->fullyReadBack, slice == VerifySlices::Count - 1);
    }

    // A drive pulled while the copies are read back ends the reading, and no copy is
    // called damaged.
    void aDrivePulledWhileReadingBackEndsItWithAReason() {
        BackupStore store;
        tilloraOnly(store);
        store.drives.writeFile('c', "Tillora/a.dat", "sales");
        store.platform.beforeReadBack = [&](const std::filesystem::path&) {
            store.drives.pullDrive('e');
        };
        const BackupRunResult result = runOn(store, QDate(2026, 12, 8));
        QCOMPARE(result.outcome, Outcome::Completed);
        QCOMPARE(result.verify->damaged, 0);
        QVERIFY(result.verify->endedBecause.startsWith("the backup drive could not be read"));
        QVERIFY(!summarize(result).line.contains("verified"));
    }

    void aKilledRunKeepsEveryFileWhole_data() {
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("at");
        QTest::newRow("halfway through the large file") << int(CopyStage::ChunkWritten) << 3;
        QTest::newRow("new copy written, nothing renamed") << int(CopyStage::NewCopyWritten) << 1;
        QTest::newRow("between the two renames") << int(CopyStage::EarlierCopyMoved) << 1;
        QTest::newRow("between the renames of a small file")
            << int(CopyStage::EarlierCopyMoved) << 6;
        QTest::newRow("every file in place, before the flush")
            << int(CopyStage::NewCopyInPlace) << 11;
    }
    void aKilledRunKeepsEveryFileWhole() {
        QFETCH(int, stage);
        QFETCH(int, at);
        BackupStore store;
        store.window.enabled = {true, false, false, false, false, false};
        writeSources(store, false);
        QCOMPARE(runOn(store, QDate(2026, 12, 7)).filesCopied, 1 + SmallFiles);
        writeSources(store, true);

        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {"--interrupted-run", store.drives.driveFolder(), QString::number(stage),
                     QString::number(at)});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        // Each backup file is its earlier or its later form; a file missing from the
        // backup is whole among the day's versions; every version is an earlier form.
        const QString versions = "TLRAversions/2026-12-08/Tillora/";
        auto check = [&](const QString& name, const QByteArray& earlier, const QByteArray& later) {
            const QString path = "TLRAbackup/Tillora/" + name;
            if (store.drives.exists('e', path)) {
                const QByteArray now = store.drives.readFile('e', path);
                QVERIFY2(now == earlier || now == later, qPrintable(name));
            } else {
                QCOMPARE(store.drives.readFile('e', versions + name), earlier);
            }
            if (store.drives.exists('e', versions + name))
                QCOMPARE(store.drives.readFile('e', versions + name), earlier);
        };
        check("big.dat", bigContent(false), bigContent(true));
        for (int i = 0; i < SmallFiles; ++i)
            check(QStringLiteral("s%1.dat").arg(i), smallContent(i, false), smallContent(i, true));

        // The next run puts every later form in place and leaves nothing behind.
        const BackupRunResult next = runOn(store, QDate(2026, 12, 8));
        QCOMPARE(next.outcome, Outcome::Completed);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/big.dat"), bigContent(true));
        QStringList expected{"big.dat"};
        for (int i = 0; i < SmallFiles; ++i) {
            QCOMPARE(
                store.drives.readFile('e', QStringLiteral("TLRAbackup/Tillora/s%1.dat").arg(i)),
                smallContent(i, true));
            expected.append(QStringLiteral("s%1.dat").arg(i));
        }
        QCOMPARE(QDir(store.drives.root('e') + "/TLRAbackup/Tillora")
                     .entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 expected);
    }
};

int main(int argc, char** argv) {
    if (argc == 5 && qstrcmp(argv[1], "--interrupted-run") == 0)
        return interruptedRun(argv);
    QCoreApplication app(argc, argv);
    TestBackupCopy test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_backup_copy.moc"
