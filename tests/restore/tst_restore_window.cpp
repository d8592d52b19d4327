// The restore window: a file lost from the store is back in its place as it was two
// nights ago, after the owner was told what is replaced; never while a backup runs.
#include "BackupRestore.h"
#include "RestoreStore.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

QTreeWidgetItem* child(QTreeWidgetItem* parent, const QString& name) {
    for (int i = 0; i < parent->childCount(); ++i) {
        if (parent->child(i)->text(BackupRestore::Name) == name)
            return parent->child(i);
    }
    return nullptr;
}

} // namespace

class TestRestoreWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void restoresAFolderAsItWasTwoNightsAgo() {
        ThreeNights store;
        BackupRestore window(store.platform, store.prompts, store.clock, store.window,
                             store.values);
        QSignalSpy loaded(&window, &BackupRestore::treeLoaded);
        QVERIFY(loaded.wait());
        QCOMPARE(window.MomentList->count(), 3);
        window.MomentList->setCurrentIndex(2); // before Tuesday's backup
        QVERIFY(loaded.wait());
        QTreeWidgetItem* tillora = child(window.FileTree->invisibleRootItem(), "Tillora");
        QVERIFY(tillora);
        child(tillora, "ADs")->setSelected(true);
        child(tillora, "data")->setSelected(true);

        bool backupRunning = true;
        window.setBackupRunning([&] { return backupRunning; });
        QVERIFY(!window.restoreSelected());
        QVERIFY(store.prompts.asked.last().text.contains("A backup is running"));

        backupRunning = false;
        store.prompts.answers.enqueue(PromptAnswer::Yes);
        QSignalSpy finished(&window, &BackupRestore::restoreFinished);
        window.RestoreButton->click();
        QVERIFY(window.restoring());
        QVERIFY(finished.wait());
        const QString question = store.prompts.asked.last().text;
        QVERIFY(question.contains("c:\\Tillora\\data\\a.dat"));
        QVERIFY(question.contains("every station"));
        QCOMPARE(store.drives.readFile('c', "Tillora/ADS/ad.dat"), "ad");
        QCOMPARE(store.drives.readFile('c', "Tillora/data/a.dat"), "monday");
        QVERIFY(window.ReportView->toPlainText().contains("c:\\TLRArestore\\2026-12-10 14-05"));
        QVERIFY(window.RestoreButton->isEnabled());
    }
};

QTEST_MAIN(TestRestoreWindow)
#include "tst_restore_window.moc"
