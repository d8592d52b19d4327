#include "OffsiteSettings.h"
#include "ResticFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

using namespace tillora;
using namespace tillora::test;

class TestOffsiteWindow : public QObject {
    Q_OBJECT
private slots:
    // The owner's way through the window: settings saved with the keys kept apart, a new
    // repository, a night's snapshot listed with our own figures, a restore refused in the
    // live data and done into an empty folder.
    void setUpCreateListAndRestore() {
        TILLORA_TEST_RUNS_RESTIC();
        OffsiteStore store;
        store.drives.writeFile('c', "Tillora/Tlra.dat", "point of sale");
        store.drives.writeFile('c', "Shiftra/data/Timesheets.dat", "clock");
        QTemporaryDir repository;
        OffsiteSettings window(store.window, store.platform, store.values, store.prompts,
                               store.secrets);
        window.showWindow();
        window.Enabled->setChecked(true);
        window.Repository->setText(repository.filePath("repo"));
        window.Password->setText(QStringLiteral("s3cret pass"));
        window.SaveButton->click();
        QVERIFY(OffsiteOptions::load(store.platform, store.values).enabled);
        QCOMPARE(OffsiteSecrets::load(store.secrets).password, QStringLiteral("s3cret pass"));

        window.CreateButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(window.Status->text().contains("created"), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(window.CreateButton->isEnabled(), 30000);

        const BackupRunResult night = store.nightlyRun();
        QVERIFY(night.offsite && !night.offsite->snapshotId.isEmpty());
        window.historyOf = [&](const QString& id) {
            return id == night.offsite->snapshotId ? night.offsite : std::nullopt;
        };
        window.TestButton->click();
        QTRY_VERIFY_WITH_TIMEOUT(window.Status->text().contains("holds 1 snapshot"), 30000);
        const QTreeWidgetItem* row = window.Snapshots->topLevelItem(0);
        QCOMPARE(row->text(3), night.offsite->snapshotId);
        QCOMPARE(row->text(4), QStringLiteral("2"));

        window.chooseRestoreFolder = [&] { return store.drives.root('c') + "/Tillora/restored"; };
        window.RestoreButton->click();
        QCOMPARE(store.prompts.asked.size(), 1);
        QCOMPARE(store.prompts.asked.first().title, QStringLiteral("Restore"));

        QTemporaryDir target;
        window.chooseRestoreFolder = [&] { return target.path(); };
        window.RestoreButton->click();
        QVERIFY(window.Busy->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(window.Status->text().startsWith("Restored 2 files"), 30000);
        QVERIFY(!window.Busy->isVisible());
        // By the store's own paths below the chosen folder, not restic's whole path.
        QCOMPARE(
            QDir(target.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList({"Shiftra", "Tillora"}));
        QVERIFY(QFileInfo(target.filePath("Shiftra/data/Timesheets.dat")).isFile());
    }
};

QTEST_MAIN(TestOffsiteWindow)
#include "tst_offsite_window.moc"
