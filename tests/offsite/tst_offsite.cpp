#include "DatePictures.h"
#include "FakeRestic.h"
#include "OffsiteFiles.h"
#include "ResticFixture.h"
#include "RestoreDrill.h"
#include "RunSummary.h"

#include <QDirIterator>

using namespace tillora;
using namespace tillora::test;
using Outcome = OffsiteSummary::Outcome;

namespace {

const QString Password = QStringLiteral("correct horse battery staple");

// A few folders of the directory set, a file in a subfolder that is none of them, and a
// file of a product whose row is switched off.
void fillStore(OffsiteStore& store) {
    store.drives.writeFile('c', "Tillora/Tlra.dat", "point of sale");
    store.drives.writeFile('c', "Tillora/data/Journal.dat", QByteArray(300000, 'j'));
    store.drives.writeFile('c', "Tillora/Sales/1208.dat", QByteArray("sales\nwith\0nul", 14));
    store.drives.writeFile('c', "Tillora/Table/Pcheck/odd name, with comma.dat", "odd");
    store.drives.writeFile('c', "Tillora/Sales/Old/1999.dat", "not a folder of the set");
    store.drives.writeFile('c', "Shiftra/data/Timesheets.dat", "clock");
    store.drives.writeFile('c', "Loyvana/rewards.dat", "row switched off");
    store.window.enabled = {true, true, false, false, false, false};
}

QMap<QString, QByteArray> filesBelow(const QString& root) {
    QMap<QString, QByteArray> files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        files.insert(it.fileInfo().fileName(),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : "(unreadable)");
    }
    return files;
}

} // namespace

class TestOffsite : public QObject {
    Q_OBJECT
private slots:
    void nightlyCopiesTheDirectorySetIntoAFolderRepository() {
        TILLORA_TEST_RUNS_RESTIC();
        OffsiteStore store;
        fillStore(store);
        QTemporaryDir repository;
        store.configure(repository.filePath("repo"), Password);
        QVERIFY(store.restic(store.commands().init()).succeeded());
        const QStringList set = directorySetFiles(store.window.snapshot(), store.platform);
        const qsizetype files = set.size();
        QCOMPARE(files, 5);
        QVERIFY(!set.join('|').contains("1999.dat") && !set.join('|').contains("rewards"));

        const BackupRunResult first = store.nightlyRun();
        QVERIFY(first.offsite);
        QCOMPARE(first.offsite->outcome, Outcome::Completed);
        QCOMPARE(first.offsite->filesNew, files);
        QVERIFY(first.offsite->bytesAdded > 0);
        QVERIFY(!first.offsite->snapshotId.isEmpty());
        QCOMPARE(first.started, QDateTime(QDate(2026, 12, 8), QTime(3, 0, 40)));

        // The next night reads only what changed, though the list of files grew.
        store.drives.writeFile('c', "Tillora/Sales/1209.dat", "next day");
        const BackupRunResult second = store.nightlyRun();
        QCOMPARE(second.offsite->outcome, Outcome::Completed);
        QCOMPARE(second.offsite->filesNew, 1);
        QCOMPARE(second.offsite->filesUnmodified, files);
        QVERIFY2(second.offsite->bytesAdded < 20000,
                 qPrintable(QString::number(second.offsite->bytesAdded)));

        const auto snapshots =
            parseResticSnapshots(store.restic(store.commands().snapshots()).output);
        QVERIFY(snapshots);
        QCOMPARE(snapshots->size(), 2);
        QCOMPARE(snapshots->last().shortId, second.offsite->snapshotId);
        QCOMPARE(snapshots->last().tags, (QStringList{"tillora", "Joes-Pizza-Main-St"}));
        QVERIFY(snapshots->last().time.isValid());
    }

    void appendOnlyServerTakesTheCopyAndRestoresItByteForByte() {
        TILLORA_TEST_RUNS_RESTIC();
        OffsiteStore store;
        fillStore(store);
        QTemporaryDir served;
        RestServer server(served.path());
        QVERIFY(!server.url().isEmpty());
        store.configure("rest:" + server.url() + "store1", Password);
        QVERIFY(store.restic(store.commands().init()).succeeded());
        QVERIFY(store.nightlyRun().offsite->outcome == Outcome::Completed);
        // Upkeep is weekly: the first night checked, the next ones before Sunday do not.
        QCOMPARE(OffsiteState::load(store.platform, store.values).lastMaintenance,
                 QDate(2026, 12, 8));

        QTemporaryDir restored;
        QVERIFY(!restoreTargetProblem(restored.path(), {}));
        QVERIFY(store.restic(store.commands().restore("latest", restored.path())).succeeded());
        QMap<QString, QByteArray> expected;
        for (const QString& path : directorySetFiles(store.window.snapshot(), store.platform)) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            expected.insert(QFileInfo(path).fileName(), file.readAll());
        }
        QCOMPARE(filesBelow(restored.path()), expected);

        // A stopped server is a failed copy with restic's reason.
        server.stop();
        const BackupRunResult failed = store.nightlyRun();
        QCOMPARE(failed.offsite->outcome, Outcome::Failed);
        QVERIFY2(failed.offsite->reason.contains("connection refused"),
                 qPrintable(failed.offsite->reason));
    }

    // A night whose copy finds the one before still running skips its own; ending the
    // program still gives the running one its result.
    void aNightBehindARunningCopyIsSkippedAndEndingTheProgramReportsIt() {
        OffsiteStore store;
        fillStore(store);
        FakeRestic restic;
        restic.setMode("slow");
        store.configure("rest:http://127.0.0.1:9/store1", Password, restic.program());
        BackupRunResult night;
        night.started = store.clock.now();
        BackupRunResult next = night;
        next.started = night.started.addDays(1);

        QSignalSpy done(&store.offsite, &OffsiteStep::finished);
        store.offsite.start(night);
        store.offsite.start(next);
        QTRY_COMPARE(done.size(), 1);
        const auto skipped = done.at(0).first().value<BackupRunResult>();
        QCOMPARE(skipped.started, next.started);
        QCOMPARE(skipped.offsite->outcome, Outcome::Skipped);
        QVERIFY(store.offsite.running());
        store.offsite.stop();
        QCOMPARE(done.size(), 2);
        QCOMPARE(done.at(1).first().value<BackupRunResult>().offsite->outcome, Outcome::Failed);
        QVERIFY(!store.offsite.running());
    }

    // The store opens at 9:00 (its first report): an upload still going then gives way, a
    // note two nights running and a fault the third; a failed check after the night's
    // snapshot is the check's fault, not the copy's.
    void theStoreOpeningStopsTheUploadAndAFailedCheckIsTheChecks() {
        struct OpensAtNine final : StoreOpening {
            std::optional<QTime> firstReportTime() const override { return QTime(9, 0); }
        };
        OffsiteStore store;
        fillStore(store);
        FakeRestic restic;
        restic.setMode("slow");
        store.configure("rest:http://127.0.0.1:9/store1", Password, restic.program());
        store.offsite.setStoreOpening(std::make_unique<OpensAtNine>());
        store.offsite.limits.lookEvery = std::chrono::milliseconds(50);
        QList<OffsiteSummary> nights;
        for (int night = 0; night < 3; ++night) {
            // The store opens once the upload is going, however long restic took to start.
            bool opened = false;
            const auto opening = connect(&store.offsite, &OffsiteStep::progress, [&] {
                if (!std::exchange(opened, true))
                    store.clock.advanceSeconds(6 * 3600);
            });
            nights.append(*store.nightlyRun().offsite);
            disconnect(opening);
            if (opened)
                store.clock.advanceSeconds(-6 * 3600);
        }
        QCOMPARE(nights[1].outcome, Outcome::Stopped);
        QCOMPARE(nights[1].reason, QStringLiteral("stopped at 9:00 am; it goes on tonight"));
        QCOMPARE(nights[2].outcome, Outcome::Failed);
        QVERIFY2(nights[2].reason.startsWith("stopped at 9:00 am 3 nights running"),
                 qPrintable(nights[2].reason));

        restic.setMode("snapshot");
        const OffsiteSummary checked = *store.nightlyRun().offsite;
        QCOMPARE(checked.outcome, Outcome::CheckFailed);
        QCOMPARE(checked.snapshotId, QStringLiteral("5ca1ab1e"));
        QVERIFY(checked.reason.endsWith("pack 1a2b is damaged"));
        QCOMPARE(OffsiteState::load(store.platform, store.values).nightsStopped, 0);
    }

    void failuresEndTheStepWithAReason_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("restic");
        QTest::addColumn<QString>("reason");
        QTest::newRow("wrong password") << "guessed"
                                        << ""
                                        << "wrong password";
        QTest::newRow("restic missing") << Password << "/nonexistent/restic"
                                        << "restic is a program of its own: get it from "
                                           "https://github.com/restic/restic/releases";
        QTest::newRow("no repository there") << Password << ""
                                             << "Create repository";
    }
    void failuresEndTheStepWithAReason() {
        TILLORA_TEST_RUNS_RESTIC();
        QFETCH(QString, password);
        QFETCH(QString, restic);
        QFETCH(QString, reason);
        OffsiteStore store;
        fillStore(store);
        QTemporaryDir repository;
        store.configure(repository.filePath("repo"), Password);
        if (QTest::currentDataTag() != QLatin1String("no repository there"))
            QVERIFY(store.restic(store.commands().init()).succeeded());
        store.configure(repository.filePath("repo"), password, restic);

        const BackupRunResult result = store.nightlyRun();
        QVERIFY(result.offsite);
        QCOMPARE(result.offsite->outcome, Outcome::Failed);
        QVERIFY2(result.offsite->reason.contains(reason), qPrintable(result.offsite->reason));
        QVERIFY(result.offsite->snapshotId.isEmpty());
        QVERIFY(result.isBackup()); // the local copy stands on its own
    }

    // restic is pointed at a wrapper that records how it was called and then runs the real
    // program; the wrapper also turns a made snapshot into restic's "some files unreadable".
    void noSecretOnAnyCommandLineAndUnreadableFilesMakeItIncomplete() {
        TILLORA_TEST_RUNS_RESTIC();
        OffsiteStore store;
        fillStore(store);
        QTemporaryDir work;
        const QString wrapper = work.filePath("restic-wrapper.sh");
        const QString calls = work.filePath("calls.log");
        const QString environments = work.filePath("environments.log");
        QFile script(wrapper);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(
            QStringLiteral("#!/bin/sh\n"
                           "echo \"$*\" >> '%1'\n"
                           "env >> '%2'\n"
                           "restic \"$@\"; code=$?\n"
                           "[ \"$1\" = backup ] && [ -e '%3' ] && echo '%4' >&2 && exit 3\n"
                           "exit $code\n")
                .arg(calls, environments, work.filePath("partial"),
                     R"({"message_type":"error","error":{"message":"permission denied"},)"
                     R"("during":"archival","item":"/c/Tillora/Locked.dat"})")
                .toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);

        QTemporaryDir served;
        RestServer server(served.path());
        const QString serverPassword = QStringLiteral("server-secret-42");
        const RepositoryText typed =
            splitRepositoryPassword(QStringLiteral("rest:http://store1:%1@%2store1")
                                        .arg(serverPassword, server.url().mid(7)));
        QCOMPARE(typed.password, serverPassword);
        store.configure(typed.withoutPassword, Password, wrapper);
        OffsiteOptions limited = OffsiteOptions::load(store.platform, store.values);
        limited.limitUploadKiB = 512;
        QVERIFY(limited.save(store.platform, store.values).ok);
        OffsiteSecrets keys = OffsiteSecrets::load(store.secrets);
        keys.serverPassword = typed.password;
        QVERIFY(keys.save(store.secrets).ok);
        QVERIFY(store.restic(store.commands().init()).succeeded());

        QStringList logged;
        static QStringList* sink = nullptr;
        sink = &logged;
        const auto previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& text) { sink->append(text); });
        QCOMPARE(store.nightlyRun().offsite->outcome, Outcome::Completed);
        QFile(work.filePath("partial")).open(QIODevice::WriteOnly);
        const BackupRunResult partial = store.nightlyRun();
        qInstallMessageHandler(previous);

        QCOMPARE(partial.offsite->outcome, Outcome::Incomplete);
        QVERIFY(!partial.offsite->snapshotId.isEmpty());
        QCOMPARE(partial.offsite->reason,
                 QStringLiteral("1 file(s) could not be read: /c/Tillora/Locked.dat: permission "
                                "denied"));

        const QByteArray commandLines = *readWholeFile(calls);
        QVERIFY(!commandLines.contains("unlock")); // only when a call finds a stale lock
        QVERIFY(commandLines.contains("--files-from-raw"));
        QVERIFY(commandLines.contains("--limit-upload 512"));
        const QByteArray environment = *readWholeFile(environments);
        QVERIFY(environment.contains("RESTIC_PASSWORD=" + Password.toUtf8()));
        const QByteArray options =
            *readWholeFile(store.drives.root('c') + "/Store/ini/BackupOptions.ini");
        for (const QString& secret : {Password, serverPassword}) {
            QVERIFY(!commandLines.contains(secret.toUtf8()));
            QVERIFY(!options.contains(secret.toUtf8()));
            QVERIFY(!logged.join('\n').contains(secret));
            QVERIFY(!partial.offsite->reason.contains(secret));
        }
    }

    void weeklyUpkeepAfterTheFirstRunOnOrAfterSunday_data() {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<bool>("due");
        const QDate sunday(2026, 12, 13);
        QTest::newRow("never done") << sunday.addDays(2) << QDate() << true;
        QTest::newRow("Sunday, done last week") << sunday << sunday.addDays(-7) << true;
        QTest::newRow("Sunday, done today") << sunday << sunday << false;
        QTest::newRow("Saturday, done Sunday before") << sunday.addDays(6) << sunday << false;
        QTest::newRow("Sunday missed, Monday makes it up")
            << sunday.addDays(1) << sunday.addDays(-6) << true;
    }
    void weeklyUpkeepAfterTheFirstRunOnOrAfterSunday() {
        QFETCH(QDate, today);
        QFETCH(QDate, last);
        QFETCH(bool, due);
        QCOMPARE(OffsiteStep::weeklyUpkeepDue(today, last), due);
    }

    void textsThatReachRestic() {
        QCOMPARE(storeTag("Joe's Pizza, Main St."), QStringLiteral("Joes-Pizza-Main-St"));
        QCOMPARE(storeTag(" ,;- "), QString());
        QCOMPARE(storeTag("Café 42 -- Nord"), QStringLiteral("Café-42-Nord"));
        const RepositoryText plain = splitRepositoryPassword("b2:bucket:store1");
        QCOMPARE(plain.withoutPassword, QStringLiteral("b2:bucket:store1"));
        QVERIFY(plain.password.isEmpty());
        const RepositoryText rest = splitRepositoryPassword("rest:https://me:p%40ss:w@host:8000/s");
        QCOMPARE(rest.withoutPassword, QStringLiteral("rest:https://me@host:8000/s"));
        QCOMPARE(rest.password, QStringLiteral("p%40ss:w"));
        QCOMPARE(joinRepositoryPassword(rest.withoutPassword, rest.password),
                 QStringLiteral("rest:https://me:p%40ss:w@host:8000/s"));

        const auto snapshots = parseResticSnapshots(
            R"([{"time":"2026-12-08T03:01:02.123456789-05:00","hostname":"backoffice",
                "tags":["tillora","Joes"],"id":"0123456789abcdef","short_id":"01234567"}])");
        QVERIFY(snapshots && snapshots->size() == 1);
        QCOMPARE(snapshots->first().time.toUTC(),
                 QDateTime(QDate(2026, 12, 8), QTime(8, 1, 2, 123), Qt::UTC));
        QVERIFY(!parseResticSnapshots("Fatal: wrong password"));
        QCOMPARE(resticReason("repository 1234 opened\nFatal: wrong password or no key found\n"),
                 QStringLiteral("wrong password or no key found"));
    }

    // The drill after the weekly check restores a sample and holds it against the backup
    // drive: a pass is the restore proven. A drill that cannot make its folder, a restore
    // that equals neither copy and a spoilt repository are failures with a reason. The
    // drill's folder is gone after each, and a link put in its place never leads the drill
    // elsewhere.
    void theWeeklyDrillProvesTheRestoreOrSaysWhatFailed() {
        TILLORA_TEST_RUNS_RESTIC();
        OffsiteStore store;
        fillStore(store);
        QTemporaryDir repository;
        store.configure(repository.filePath("repo"), Password);
        QVERIFY(store.restic(store.commands().init()).succeeded());
        RestoreDrill drill(store.platform);
        const QString folder = drill.folder();
        QVERIFY(!folder.isEmpty());
        QDir().mkpath(folder);
        QFile left(folder + "/left over.dat");
        QVERIFY(left.open(QIODevice::WriteOnly) && left.write("x") == 1);
        left.close();

        const BackupRunResult first = store.nightlyRun();
        QCOMPARE(first.offsite->outcome, Outcome::Completed);
        QVERIFY(first.offsite->restoreProven);
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(restoreProvenLine({HistoryEntry::of(first)}),
                 "Off-site copy: last restore proven " + shortDate(first.started.date()));
        QCOMPARE(restoreProvenLine({}), QStringLiteral("Off-site copy: last restore proven never"));

        // A week on, a file where the folder should be: the drill refuses, and the check
        // and drill stay due for the next night.
        QFile inTheWay(folder);
        QVERIFY(inTheWay.open(QIODevice::WriteOnly) && inTheWay.write("x") == 1);
        inTheWay.close();
        store.clock.advanceSeconds(6 * 24 * 3600);
        const BackupRunResult refused = store.nightlyRun();
        QCOMPARE(refused.offsite->outcome, Outcome::DrillFailed);
        QVERIFY2(refused.offsite->reason.contains("could not be made, so nothing was restored"),
                 qPrintable(refused.offsite->reason));
        QCOMPARE(offsiteHeadline(refused.offsite->outcome),
                 QStringLiteral("Off-site restore drill FAILED"));
        QVERIFY(OffsiteStep::weeklyUpkeepDue(
            store.clock.now().date(),
            OffsiteState::load(store.platform, store.values).lastMaintenance));
        QVERIFY(QFile::remove(folder));

        const auto drillOnce = [&] {
            QSignalSpy done(&drill, &RestoreDrill::finished);
            drill.start(store.commands(), "latest",
                        directorySetCopies(store.window.snapshot(), store.platform), 50);
            return done.wait(60000) ? done.first().first().value<DrillResult>() : DrillResult{};
        };
        // Both copies changed in place (size and time kept): the restore equals neither.
        const auto spoil = [](const QString& path) {
            const QDateTime time = QFileInfo(path).lastModified();
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(1000) && file.write("X") == 1);
            file.close();
            QVERIFY(file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(time, QFile::FileModificationTime));
        };
        for (const SetFile& file : directorySetCopies(store.window.snapshot(), store.platform)) {
            if (file.source.endsWith("Journal.dat")) {
                spoil(file.backupCopy);
                spoil(file.source);
            }
        }
        const DrillResult differs = drillOnce();
        QVERIFY(!differs.passed);
        QCOMPARE(differs.reason, QStringLiteral("Journal.dat differs from its copy on the backup "
                                                "drive and from the store's own file"));
        QVERIFY(!QFileInfo::exists(folder));

        QTemporaryDir elsewhere;
        QFile kept(elsewhere.filePath("kept.dat"));
        QVERIFY(kept.open(QIODevice::WriteOnly) && kept.write("kept") == 4);
        kept.close();
        QVERIFY(QFile::link(elsewhere.path(), folder));
        QDirIterator packs(repository.filePath("repo/data"), QDir::Files,
                           QDirIterator::Subdirectories);
        while (packs.hasNext()) {
            QFile pack(packs.next());
            pack.setPermissions(pack.permissions() | QFile::WriteOwner);
            QVERIFY(pack.open(QIODevice::ReadWrite) && pack.seek(40) &&
                    pack.write("\xff\xff") == 2);
        }
        const DrillResult spoiltPack = drillOnce();
        QVERIFY(!spoiltPack.passed);
        QVERIFY2(spoiltPack.reason.startsWith("the restore failed: "),
                 qPrintable(spoiltPack.reason));
        QVERIFY(!QFileInfo::exists(folder) && !QFileInfo(folder).isSymLink());
        QVERIFY(kept.exists());
    }

    // The sample: the settings file, the 5 changed last, 5 more by the week in turn, and
    // never over the size limit.
    void theDrillSampleTakesTheSettingsTheNewestAndTheWeeksTurn() {
        QList<ResticFile> files;
        const QDateTime night(QDate(2026, 12, 8), QTime(3, 0));
        for (int i = 0; i < 20; ++i)
            files.append({QStringLiteral("/c/Tillora/f%1.dat").arg(i, 2, 10, QChar('0')),
                          night.addSecs(-3600 * i), 100});
        files.append({"/c/Tillora/TLRAINI.DAT", night.addDays(-30), 2300});
        files.append({"/c/Tillora/big.dat", night.addSecs(60), DrillMaxBytes});
        const auto names = [](const QList<ResticFile>& sample) {
            QStringList list;
            for (const ResticFile& file : sample)
                list.append(file.path.section('/', -1).section('.', 0, 0));
            return list;
        };
        QCOMPARE(names(drillSample(files, 0)),
                 QStringList({"TLRAINI", "f00", "f01", "f02", "f03", "f04", "f05", "f06", "f07",
                              "f08", "f09"}));
        QCOMPARE(names(drillSample(files, 3)).mid(6),
                 QStringList({"f19", "f05", "f06", "f07", "f08"}));
        QCOMPARE(drillSample({}, 7), QList<ResticFile>());
    }

    void restoreNeverGoesIntoLiveDataOrOverFiles() {
        OffsiteStore store;
        fillStore(store);
        const QStringList live =
            liveDataFolders(store.window.snapshot(), store.platform, store.values);
        const QString c = store.drives.root('c');
        QVERIFY(restoreTargetProblem(c + "/Tillora", live));
        QVERIFY(restoreTargetProblem(c + "/TILLORA/Sales/new", live));
        // The same folder by the system's own name for it (on Linux, through the drive link).
        QVERIFY(restoreTargetProblem(store.platform.nativePath("c:\\Shiftra"), live));
        QVERIFY(restoreTargetProblem(c, live)); // not empty
        QVERIFY(!restoreTargetProblem(c + "/Restored/night", live));
        QVERIFY(!restoreTargetProblem(store.drives.root('e') + "/Restored", live));
    }
};

QTEST_GUILESS_MAIN(TestOffsite)
#include "tst_offsite.moc"
