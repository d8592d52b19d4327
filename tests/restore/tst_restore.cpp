// Getting files back from the backup drive: which copy stands for each moment, where each
// backup folder came from, and a restore that keeps what it replaces and leaves alone
// what another program holds open.
#include "NativeFiles.h"
#include "RestoreCatalog.h"
#include "RestoreJob.h"
#include "RestorePlan.h"
#include "RestoreStore.h"
#include "RestoreTargets.h"
#include "SystemFaults.h"

#include <QtTest>

using namespace tillora;
using namespace tillora::test;

class TestRestore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachMomentShowsTheCopyOfItsNight() {
        ThreeNights store;
        QFile::copy(store.drives.root('e') + "/TLRAbackup/Tillora/data/a.dat",
                    store.drives.root('e') +
                        "/TLRAversions/2026-12-09/Tillora/data/x.dat.damaged-2026-12-09");
        const QList<RestoreMoment> moments = store.catalog().moments(store.clock.now().date());
        QCOMPARE(moments, (QList<RestoreMoment>{{RestoreMoment::Kind::Newest, {}},
                                                {RestoreMoment::Kind::Day, QDate(2026, 12, 9)},
                                                {RestoreMoment::Kind::Day, QDate(2026, 12, 8)}}));
        QCOMPARE(moments[2].caption(), "Before the backup of Tue 8 Dec 2026 (day folder)");
        // The options file changes every night; only the store's data is compared.
        const auto data = [&](const RestoreMoment& moment) {
            return store.contents(store.catalog().filesAt(moment)).filter("data\\");
        };
        QCOMPARE(data(moments[0]),
                 (QStringList{"Tillora\\data\\a.dat=damaged", "Tillora\\data\\new.dat=new"}));
        // new.dat was made on the 9th, before that night's backup: before it there is no
        // copy the drive can give.
        QCOMPARE(data(moments[1]), QStringList{"Tillora\\data\\a.dat=tuesday"});
        QCOMPARE(data(moments[2]), QStringList{"Tillora\\data\\a.dat=monday"});
        QCOMPARE(store.contents(store.catalog().filesAt(moments[2])).filter("ADs"),
                 QStringList{"Tillora\\ADs\\ad.dat=ad"});
    }

    void foldersAreReadBackToTheirSources() {
        FakeBackupWindow window;
        window.names[0] = "POS";
        const RestoreTargets targets(window.snapshot());
        QCOMPARE(targets.sourceFolderOf("POS\\ADs"), "c:\\POS\\ADS");
        QCOMPARE(targets.sourceFolderOf("POS\\data\\big\\x"), "c:\\POS\\data\\big\\x");
        QCOMPARE(targets.sourceFolderOf("Paydex\\History"), paydexHistorySource());
        QCOMPARE(targets.sourceFolderOf("Tillora\\data"), "c:\\Tillora\\data"); // an older name
        QCOMPARE(RestoreTargets::storePathOf("c:\\POS\\ADS\\a.dat"), "POS\\ADS\\a.dat");
    }

    void restoreKeepsWhatItReplacesAndLeavesHeldFilesAlone() {
        ThreeNights store;
        store.drives.writeFile('c', "Tillora/data/held.dat", "in use");
        QVERIFY(QDir().mkpath(store.drives.root('c') + "/TLRArestore/2026-11-01 09-00"));
        const QStringList backupBefore = store.tree('e', {});
        const RestoreMoment tuesdayNight{RestoreMoment::Kind::Day, QDate(2026, 12, 8)};
        QList<BackedUpFile> files = store.catalog().filesAt(tuesdayNight);
        files.erase(std::remove_if(files.begin(), files.end(),
                                   [](const BackedUpFile& f) {
                                       return !f.folder.startsWith("Tillora\\ADs") &&
                                              f.folder != "Tillora\\data";
                                   }),
                    files.end());
        BackedUpFile held = files.last();
        held.name = "held.dat"; // its copy is a.dat's: it only has to be refused
        files.append(held);
        const RestorePlan plan =
            planRestore(store.platform, RestoreTargets(store.window.snapshot()), "e:", files, {});
        QCOMPARE(plan.refusal, QString());
        QCOMPARE(plan.replaced(),
                 (QStringList{"c:\\Tillora\\data\\a.dat", "c:\\Tillora\\data\\held.dat"}));

        const HeldOpen inUse(store.drives.root('c') + "/Tillora/data/held.dat");
        QVERIFY(inUse.held());
        const RestoreReport report =
            RestoreJob(store.platform, restoreAsideRoot(store.values.DataDIR), store.clock.now())
                .run(plan);
        QCOMPARE(report.restored,
                 (QStringList{"c:\\Tillora\\ADS\\ad.dat", "c:\\Tillora\\data\\a.dat"}));
        QCOMPARE(report.refused.size(), 1);
        QCOMPARE(report.refused[0].path, "c:\\Tillora\\data\\held.dat");
        QCOMPARE(report.asideFolder, "c:\\TLRArestore\\2026-12-10 14-05");
        QCOMPARE(store.drives.readFile('c', "Tillora/data/a.dat"), "monday");
        QCOMPARE(store.drives.readFile('c', "Tillora/ADS/ad.dat"), "ad");
        QCOMPARE(store.drives.readFile('c', "Tillora/data/held.dat"), "in use");
        QCOMPARE(store.drives.readFile('c', "TLRArestore/2026-12-10 14-05/Tillora/data/a.dat"),
                 "damaged");
        QCOMPARE(store.tree('c', "Tillora/data"), (QStringList{"a.dat", "held.dat", "new.dat"}));
        QVERIFY(!store.drives.exists('c', "TLRArestore/2026-11-01 09-00")); // past 30 days
        QCOMPARE(store.tree('e', {}), backupBefore);

        // Into a folder: laid out by the store's own paths; the backup itself is refused.
        const QString into = store.drives.root('c') + "/Restored";
        const RestorePlan elsewhere = planRestore(
            store.platform, RestoreTargets(store.window.snapshot()), "e:", files.mid(0, 1), into);
        QCOMPARE(elsewhere.files[0].shownTarget,
                 QDir::toNativeSeparators(into + "/Tillora/ADS/ad.dat"));
        QVERIFY(
            RestoreJob(store.platform, restoreAsideRoot(store.values.DataDIR), store.clock.now())
                .run(elsewhere)
                .refused.isEmpty());
        QCOMPARE(store.drives.readFile('c', "Restored/Tillora/ADS/ad.dat"), "ad");
        const QString backup = store.drives.root('e') + "/TLRAversions/x";
        QVERIFY(planRestore(store.platform, RestoreTargets(store.window.snapshot()), "e:", files,
                            backup)
                    .refusal.contains("inside the backup"));
        store.platform.spaceOf = [](const QString&) { return DiskSpace{10, 100, 10}; };
        QVERIFY(
            planRestore(store.platform, RestoreTargets(store.window.snapshot()), "e:", files, into)
                .refusal.contains("free; the restore needs"));
    }
};

QTEST_GUILESS_MAIN(TestRestore)
#include "tst_restore.moc"
