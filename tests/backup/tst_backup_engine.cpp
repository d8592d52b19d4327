#include "BackupHistoryLog.h"
#include "BackupRunner.h"
#include "BackupStore.h"
#include "ChunkedFileCopy.h"
#include "DatePictures.h"
#include "Folders.h"
#include "RunSummary.h"
#include "SystemFaults.h"

#include <QFile>
#include <QTimer>
#include <QtTest>

#include <optional>

using namespace tillora;
using namespace tillora::test;
using Outcome = BackupEngine::Outcome;

namespace {

// The folders of each product below its product folder, in the order they are copied.
const QStringList TilloraFolders{"",
                                 "ADS",
                                 "data",
                                 "Delivery",
                                 "Delivery/Delivered",
                                 "Delivery/Driver",
                                 "Delivery/LastOrder",
                                 "Delivery/Out",
                                 "DriveThru",
                                 "ini",
                                 "ini/1",
                                 "ini/2",
                                 "ini/3",
                                 "ini/TableGraphics",
                                 "PhoneOrders",
                                 "Sales",
                                 "Server",
                                 "Server/Sales",
                                 "Table",
                                 "Table/Torder",
                                 "Table/Tseat",
                                 "Table/Tcheck",
                                 "Temp",
                                 "Table/Pcheck"};
const QStringList ShiftraFolders{"", "data"};
const QStringList LoyvanaFolders{"", "Loyvana/BackupData", "Loyvana/Deleted"};
const QString PaydexHistory = QStringLiteral(
    "Documents and Settings/All Users/Application Data/Norvale Systems/Paydex/History");

QString under(const QString& product, const QString& folder) {
    return folder.isEmpty() ? product : product + u'/' + folder;
}

// One file in every folder of Tillora, Shiftra and Loyvana, a hidden file, a subfolder
// that is no folder of the backup, and the card-payment history; Cardessa is missing.
void fillStore(BackupStore& store) {
    for (const auto& [product, folders] : {std::pair{QStringLiteral("Tillora"), TilloraFolders},
                                           std::pair{QStringLiteral("Shiftra"), ShiftraFolders},
                                           std::pair{QStringLiteral("Loyvana"), LoyvanaFolders}}) {
        for (const QString& folder : folders)
            store.drives.writeFile('c', under(product, folder) + "/f.dat",
                                   under(product, folder).toUtf8());
    }
    store.drives.writeFile('c', "Tillora/data/.hidden.dat", "hidden");
    store.drives.writeFile('c', "Tillora/Reports/r.dat", "not a backup folder");
    store.drives.writeFile('c', PaydexHistory + "/h.dat", "history");
}

QStringList expectedTree() {
    QStringList tree{"Cardessa/",
                     "Paydex/",
                     "Paydex/History/",
                     "Paydex/History/h.dat",
                     "Tillora/data/.hidden.dat",
                     "Loyvana/Loyvana/"};
    auto add = [&](const QString& product, const QStringList& folders) {
        for (QString folder : folders) {
            folder.replace(QStringLiteral("ADS"), QStringLiteral("ADs"));
            tree << under(product, folder) + u'/' << under(product, folder) + "/f.dat";
        }
    };
    add("Tillora", TilloraFolders);
    add("Shiftra", ShiftraFolders);
    add("Loyvana", LoyvanaFolders);
    tree.sort();
    return tree;
}

// As the engine writes it into a settings file without a date yet.
QString today(const BackupStore& store) {
    return storedDate(store.clock.now().date(), QString());
}

// Runs the engine on its own thread while this one's event loop turns; the result as it
// arrives by signal.
BackupRunResult runOnItsThread(BackupStore& store,
                               BackupEngine::Trigger trigger = BackupEngine::Trigger::Scheduled) {
    BackupRunner runner(store.engine);
    QSignalSpy finished(&runner, &BackupRunner::finished);
    runner.start(trigger);
    if (finished.isEmpty() && !finished.wait(60000))
        return {};
    return finished.first().first().value<BackupRunResult>();
}

} // namespace

class TestBackupEngine : public QObject {
    Q_OBJECT
private slots:
    void copiesTheDirectorySetIntoOneTree() {
        BackupStore store;
        fillStore(store);
        QCOMPARE(store.engine.RunBackup().outcome, Outcome::Completed);

        QCOMPARE(store.tree('e'), expectedTree());
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/ADs/f.dat"), "Tillora/ADS");
        QCOMPARE(store.window.steps.at(0).first, QStringLiteral("c:\\Tillora"));
        QCOMPARE(store.window.steps.at(22),
                 qMakePair(QStringLiteral("c:\\Tillora\\Temp"),
                           QStringLiteral("e:\\TLRAbackup\\Tillora\\Temp")));
        QCOMPARE(store.window.steps.at(23).first, QStringLiteral("c:\\Tillora\\Table\\Pcheck"));
        QCOMPARE(store.window.steps.size(), 24 + 2 + 3 + 1 + 1 + 1); // and reading back
        QCOMPARE(store.window.steps.last().first, QStringLiteral("Reading back the backup copies"));
        QCOMPARE(store.window.lastDate, today(store));
        QCOMPARE(store.window.saves, 1);
        QCOMPARE(store.window.busyChanges, QList<bool>({true, false}));
        QVERIFY(store.prompts.asked.isEmpty());

        // The next run replaces in place, adds no folder and keeps what left the source.
        store.drives.writeFile('c', "Tillora/data/f.dat", "changed");
        QFile::remove(store.drives.root('c') + "/Tillora/Sales/f.dat");
        store.clock.set(store.clock.now().addDays(1));
        QCOMPARE(store.engine.RunBackup().outcome, Outcome::Completed);
        // Besides the options file, where the first run kept how far reading back came.
        QStringList tree = expectedTree();
        tree.append("Tillora/ini/BackupOptions.ini");
        tree.sort();
        QCOMPARE(store.tree('e'), tree);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/data/f.dat"), "changed");
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/Sales/f.dat"), "Tillora/Sales");
    }

    void readsTheControlsAfreshAtEachStep() {
        BackupStore store;
        store.window.enabled = {true, false, false, false, false, false};
        store.drives.writeFile('c', "Tillora/data/a.dat", "a");
        store.drives.writeFile('c', "Tillora/ini/b.dat", "b");
        store.window.onStep = [&](const QString& from, const QString&) {
            if (from.endsWith(QLatin1String("\\data")))
                store.window.destination = QStringLiteral("c:");
        };
        store.engine.RunBackup();
        QVERIFY(store.drives.exists('e', "TLRAbackup/Tillora/data/a.dat"));
        QVERIFY(store.drives.exists('c', "TLRAbackup/Tillora/ini/b.dat"));
    }

    void anEmptyFolderNameCopiesTheDriveTop() {
        BackupStore store;
        store.window.enabled = {true, false, false, false, false, false};
        store.window.names[0].clear();
        store.drives.writeFile('c', "top.dat", "top");
        store.drives.writeFile('c', "data/d.dat", "d");
        QCOMPARE(store.engine.RunBackup().outcome, Outcome::Completed);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/top.dat"), "top");
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/data/d.dat"), "d");
        QVERIFY(DirExists(store.platform, "E:\\tlrabackup\\Table\\Pcheck"));
        QVERIFY(!DirExists(store.platform, "e:\\TLRAbackup\\top.dat"));
    }

    void asksOnceADay_data() {
        QTest::addColumn<QString>("lastDate");
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("copied");
        QTest::newRow("never") << "Never" << PromptAnswer::No << false << true;
        QTest::newRow("today, no") << "today" << PromptAnswer::No << true << false;
        QTest::newRow("today, yes") << "today" << PromptAnswer::Yes << true << true;
        QTest::newRow("yesterday") << "yesterday" << PromptAnswer::No << false << true;
        QTest::newRow("not a date") << "NEVER" << PromptAnswer::No << false << true;
    }
    void asksOnceADay() {
        QFETCH(QString, lastDate);
        QFETCH(PromptAnswer, answer);
        QFETCH(bool, asked);
        QFETCH(bool, copied);
        BackupStore store;
        store.drives.writeFile('c', "Tillora/data/a.dat", "a");
        if (lastDate == "today")
            lastDate = today(store);
        else if (lastDate == "yesterday")
            lastDate = storedDate(store.clock.now().date().addDays(-1), QString());
        store.window.lastDate = lastDate;
        store.prompts.answers.enqueue(answer);

        store.engine.RunBackup(BackupEngine::Trigger::BackupNow);
        QCOMPARE(store.prompts.asked.size(), asked ? 1 : 0);
        if (asked) {
            const PromptRequest& question = store.prompts.asked.first();
            QCOMPARE(question.title, QStringLiteral("Backup Completed Today"));
            QCOMPARE(question.text, QStringLiteral("The Backup has already been done today. "
                                                   "Would you like to do it again ?"));
            QCOMPARE(question.buttons, PromptButtons::YesNo);
            QCOMPARE(question.icon, PromptIcon::None);
        }
        QCOMPARE(store.drives.exists('e', "TLRAbackup/Tillora/data/a.dat"), copied);
        QCOMPARE(store.window.lastDate, copied ? today(store) : lastDate);
        QCOMPARE(store.window.saves, copied ? 1 : 0);
        QCOMPARE(store.window.busyChanges, QList<bool>({true, false}));
    }

    void waitsForTheNetworkDrive_data() {
        QTest::addColumn<int>("answerMs");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("success") << 20 << true << Outcome::Completed;
        QTest::newRow("fail") << 20 << false << Outcome::NetworkFailed;
        QTest::newRow("never reports in time") << 900 << true << Outcome::NetworkFailed;
    }
    void waitsForTheNetworkDrive() {
        QFETCH(int, answerMs);
        QFETCH(bool, connected);
        QFETCH(Outcome, outcome);
        BackupStore store;
        store.drives.writeFile('c', "Tillora/data/a.dat", "a");
        store.window.enabled[5] = true;
        bool onWindowThread = false;
        // The re-mapping shows a window: it runs on the window's thread while the run waits.
        store.reconnect = [&] {
            onWindowThread = QThread::currentThread() == qApp->thread();
            QThread::msleep(answerMs);
            return NetConnectResult{connected, {}};
        };
        store.engine.setNetworkWaitLimit(std::chrono::milliseconds(300));

        QCOMPARE(runOnItsThread(store).outcome, outcome);
        QVERIFY(onWindowThread);
        const bool copied = outcome == Outcome::Completed;
        QCOMPARE(store.drives.exists('e', "TLRAbackup"), copied);
        QCOMPARE(store.window.lastDate, copied ? today(store) : QStringLiteral("Never"));
        QVERIFY(store.window.failures.isEmpty());
    }

    void aWriteFailingHalfwayLeavesTheEarlierFile() {
        BackupStore store;
        store.window.enabled = {true, false, false, false, false, false};
        const QByteArray earlier(1000, 'e');
        store.drives.writeFile('e', "TLRAbackup/Tillora/big.dat", earlier);
        store.drives.writeFile('c', "Tillora/big.dat", QByteArray(3 << 20, 'n'));
        store.drives.writeFile('c', "Tillora/small.dat", "small");

        // Files may not grow past 1 MB for the length of the run: the big copy fails
        // after its first chunks.
        std::optional<BackupRunResult> limitedRun;
        {
            FileSizeLimit limit(1 << 20);
            if (!limit.active())
                QSKIP("this system cannot limit the size of the files a process writes");
            limitedRun = store.engine.RunBackup();
        }
        const BackupRunResult& result = *limitedRun;

        QCOMPARE(result.outcome, Outcome::CompletedWithProblems);
        QCOMPARE(result.problems, QList<FileProblem>({{"c:\\Tillora\\big.dat", "File too large"}}));
        QCOMPARE(result.filesCopied, 1);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/big.dat"), earlier);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/small.dat"), "small");
        QCOMPARE(QDir(store.drives.root('e') + "/TLRAbackup/Tillora").entryList(QDir::Files),
                 QStringList({"big.dat", "small.dat"}));
    }

    void aDriveThatCannotBeUsedFailsTheRun_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("told");
        QTest::newRow("pulled") << "c:"
                                << "e: [BACKUP]" << Outcome::DestinationUnavailable
                                << "e:\\TLRAbackup\\";
        QTest::newRow("no such drive")
            << "c:"
            << "x:" << Outcome::DestinationUnavailable << "x:\\TLRAbackup\\";
        QTest::newRow("listed as not connected")
            << "c:"
            << "e: (not connected)" << Outcome::DestinationUnavailable << "drive e:";
        QTest::newRow("source gone") << "g: (not connected)"
                                     << "c:" << Outcome::SourceUnavailable << "source drive g:";
    }
    void aDriveThatCannotBeUsedFailsTheRun() {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(Outcome, outcome);
        QFETCH(QString, told);
        BackupStore store;
        store.drives.writeFile('c', "Tillora/data/a.dat", "a");
        store.drives.pullDrive('e');
        store.window.source = source;
        store.window.destination = destination;
        store.window.lastDate = "12/1/2026";

        const BackupRunResult result = store.engine.RunBackup();
        QCOMPARE(result.outcome, outcome);
        QVERIFY(result.reason.contains(told));
        QCOMPARE(store.window.lastDate, QStringLiteral("12/1/2026"));
        QCOMPARE(store.window.saves, 0);
        QCOMPARE(store.window.failures.size(), 1);
        QVERIFY(store.window.failures.first().contains(told));
        QVERIFY(!store.drives.exists('c', "TLRAbackup")); // never onto another drive
        QVERIFY(store.window.steps.isEmpty());
        QCOMPARE(store.platform.drives(), QStringList({"c:"})); // no drive was invented
        QCOMPARE(store.window.busyChanges, QList<bool>({true, false}));
    }

    void aFolderNameLeadingOutOfTheTreeIsNeverFollowed() {
        BackupStore store;
        store.window.enabled = {true, true, true, true, false, false};
        store.drives.writeFile('c', "Tillora/a.dat", "a");
        store.drives.writeFile('c', "secret/s.dat", "outside");
        store.window.names[1] = "..\\..\\secret";
        store.window.names[2] = "c:\\secret";
        store.window.names[4] = "\\\\server\\share";
        const BackupRunResult result = store.engine.RunBackup();
        QCOMPARE(result.outcome, Outcome::Completed);
        // Three refused names, and the ticked Cardessa whose folder this store lacks.
        QCOMPARE(result.notes.size(), 4);
        QVERIFY(result.notes.first().contains("..\\..\\secret"));
        QVERIFY(result.notes.last().startsWith("c:\\Cardessa does not exist"));
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/a.dat"), "a");
        // Only the Tillora and Cardessa steps and the card-payment history, inside the tree,
        // then reading the copies back.
        QCOMPARE(store.window.steps.size(), 24 + 1 + 1 + 1);
        for (const auto& [from, to] : store.window.steps)
            QVERIFY2(to.startsWith("e:\\TLRAbackup\\") && !to.contains(".."), qPrintable(to));
        QVERIFY(!store.drives.exists('e', "secret"));
        QVERIFY(!QFileInfo::exists(store.drives.root('e') + "/../secret"));

        for (const char* unsafe : {"..", "a\\..\\..", ". .", "\\Tillora", "d:", "a/b", "a\\\\b"})
            QVERIFY2(!isSafeFolderName(unsafe), unsafe);
        for (const char* safe : {"", "Tillora", "Old Data\\2025", ".hidden", "Loyvana, old"})
            QVERIFY2(isSafeFolderName(safe), safe);
    }

    void theBackupDriveIsFoundByItsSerialNumber() {
        BackupStore store;
        store.window.enabled = {true, false, false, false, false, false};
        store.drives.writeFile('c', "Tillora/a.dat", "first");
        store.drives.writeFile('e', ".windows-serial", "1a2b3c4d\n");
        QCOMPARE(store.engine.RunBackup().outcome, Outcome::Completed);
        const BackupDriveIdentity known{"e:", "1A2B-3C4D"};
        QCOMPARE(loadDriveIdentity(store.platform, store.values), known);

        // The drive came back as f:, and a memory stick took e:.
        store.drives.writeFile('c', "Tillora/a.dat", "second");
        store.drives.addDrive('f', "BACKUP");
        store.drives.writeFile('f', ".windows-serial", "1A2B3C4D\n");
        store.drives.writeFile('e', ".windows-serial", "77\n");
        QFile::remove(store.drives.root('e') + "/TLRAbackup/Tillora/a.dat");
        BackupRunResult result = store.engine.RunBackup();
        QCOMPARE(result.destinationRoot, QStringLiteral("f:\\TLRAbackup\\"));
        QVERIFY(result.notes.join('|').contains("The backup drive is now f: (it was e:)"));
        QCOMPARE(store.drives.readFile('f', "TLRAbackup/Tillora/a.dat"), "second");
        QCOMPARE(loadDriveIdentity(store.platform, store.values), known);

        // Without the backup drive, the other volume at e: is not written to.
        store.drives.pullDrive('f');
        result = store.engine.RunBackup();
        QCOMPARE(result.destinationFault, DestinationFault::OtherDrive); // not watched for
        QVERIFY(result.reason.contains("not the backup drive (its volume serial number is "
                                       "0000-0077"));
        QVERIFY(!store.drives.exists('e', "TLRAbackup/Tillora/a.dat"));
    }

    void anotherUsersRunRefusesThisOne() {
        BackupStore store;
        store.drives.writeFile('c', "Tillora/a.dat", "a");
        store.platform.anotherUserBacksUp = true;
        const BackupRunResult result = store.engine.RunBackup();
        QCOMPARE(result.outcome, Outcome::RunningElsewhere);
        QVERIFY(result.isRun()); // into the history and the window, with its reason
        QVERIFY(store.window.failures.join('|').contains("another user"));
        QVERIFY(!store.drives.exists('e', "TLRAbackup"));
    }

    void refusesASecondStartDuringARun() {
        BackupStore store;
        store.window.enabled = {true, false, false, false, false, false};
        store.drives.writeFile('c', "Tillora/a.dat", "a");
        QList<Outcome> inner;
        store.window.onProgress = [&] {
            store.window.lastDate = "Never";
            inner.append(store.engine.RunBackup(BackupEngine::Trigger::BackupNow).outcome);
        };
        QCOMPARE(store.engine.RunBackup().outcome, Outcome::Completed);
        QCOMPARE(inner, QList<Outcome>({Outcome::AlreadyRunning}));
        QCOMPARE(store.window.busyChanges, QList<bool>({true, false}));
        QCOMPARE(store.window.saves, 1);
        QVERIFY(!store.engine.running());
    }

    void warnsOfTheSameDriveOnBackupNowOnly_data() {
        QTest::addColumn<BackupEngine::Trigger>("trigger");
        QTest::addColumn<PromptAnswer>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("copied");
        QTest::newRow("backup now, no")
            << BackupEngine::Trigger::BackupNow << PromptAnswer::No << true << false;
        QTest::newRow("backup now, yes")
            << BackupEngine::Trigger::BackupNow << PromptAnswer::Yes << true << true;
        QTest::newRow("scheduled")
            << BackupEngine::Trigger::Scheduled << PromptAnswer::No << false << true;
    }
    void warnsOfTheSameDriveOnBackupNowOnly() {
        QFETCH(BackupEngine::Trigger, trigger);
        QFETCH(PromptAnswer, answer);
        QFETCH(bool, asked);
        QFETCH(bool, copied);
        BackupStore store;
        store.drives.writeFile('c', "Tillora/a.dat", "a");
        store.window.destination = "C:";
        store.prompts.answers.enqueue(answer);

        store.engine.RunBackup(trigger);
        QCOMPARE(store.prompts.asked.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(store.prompts.asked.first().title, QStringLiteral("Same Drive Selected"));
            QCOMPARE(store.prompts.asked.first().text,
                     QStringLiteral("You have chosen the source drive as the destination "
                                    "drive, do you want to continue?"));
        }
        QCOMPARE(store.drives.readFile('c', "TLRAbackup/Tillora/a.dat"),
                 copied ? QByteArray("a") : QByteArray());
        QCOMPARE(store.window.lastDate, copied ? today(store) : QStringLiteral("Never"));
    }

    void progressAndResponsivenessThroughALargeFile() {
        BackupStore store;
        store.window.enabled = {true, false, false, false, false, false};
        store.drives.writeFile('c', "Tillora/one.dat", "1");
        for (int i = 0; i < 5; ++i)
            store.drives.writeFile('c', QStringLiteral("Tillora/data/%1.dat").arg(i), "x");
        store.drives.writeFile('c', "Tillora/Sales/big.dat", QByteArray(64 << 20, 'b'));

        // A timer that wants to run every 5 ms: it must never wait long for the copy.
        QElapsedTimer sinceTick;
        qint64 longest = 0;
        int ticks = 0;
        QTimer ticker;
        ticker.setInterval(5);
        connect(&ticker, &QTimer::timeout, [&] {
            longest = std::max(longest, sinceTick.restart());
            ++ticks;
        });
        QElapsedTimer run;
        run.start();
        sinceTick.start();
        ticker.start();
        QCOMPARE(runOnItsThread(store).outcome, Outcome::Completed);
        ticker.stop();

        QVERIFY2(longest < 200, qPrintable(QString::number(longest)));
        // However fast the disk, the timer kept its pace while the files were copied.
        QVERIFY2(ticks >= run.elapsed() / 50,
                 qPrintable(QStringLiteral("%1 ticks in %2 ms").arg(ticks).arg(run.elapsed())));
        // The bar counts each step's bytes, and moves through the big file chunk by chunk.
        QCOMPARE(store.window.maxima, QList<int>({1, 5, 64 << 20}));
        QVERIFY(store.window.values.count() > 64 / 2);
        QCOMPARE(store.window.values.last(), 64 << 20);
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/Sales/big.dat").size(), 64 << 20);
    }

    void cancelLeavesEveryFileWholeAndTheDateAsItWas() {
        BackupStore store;
        store.window.enabled = {true, false, false, false, false, false};
        store.window.lastDate = "12/7/2026";
        const QByteArray earlier(1000, 'e');
        store.drives.writeFile('e', "TLRAbackup/Tillora/big.dat", earlier);
        store.drives.writeFile('c', "Tillora/big.dat", QByteArray(4 << 20, 'n'));
        store.drives.writeFile('c', "Tillora/data/later.dat", "later");
        int chunks = 0;
        store.engine.setCopyObserver([&](CopyStage stage) {
            if (stage == CopyStage::ChunkWritten && ++chunks == 2)
                store.engine.cancel();
        });

        const BackupRunResult result = runOnItsThread(store, BackupEngine::Trigger::BackupNow);
        QCOMPARE(result.outcome, Outcome::Cancelled);
        QVERIFY(result.problems.isEmpty());
        QVERIFY(summarize(result).line.contains("cancelled"));
        QCOMPARE(store.drives.readFile('e', "TLRAbackup/Tillora/big.dat"), earlier);
        QCOMPARE(store.tree('e'), QStringList({"Tillora/", "Tillora/big.dat"}));
        QCOMPARE(store.window.lastDate, QStringLiteral("12/7/2026"));
        QCOMPARE(store.window.saves, 0);
        QCOMPARE(store.window.busyChanges, QList<bool>({true, false}));

        BackupHistoryLog history(store.platform, store.values);
        QVERIFY(history.record(result).ok);
        QCOMPARE(history.runs().last().run.outcome, Outcome::Cancelled);
    }
};

QTEST_MAIN(TestBackupEngine)
#include "tst_backup_engine.moc"
