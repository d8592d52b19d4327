// The startup shortcuts window and the quick setup window, driven offscreen.
#include "FakePlatform.h"
#include "FakePrompts.h"
#include "FileListBox.h"
#include "GetApiDir.h"
#include "QS1.h"
#include "SettingsFileBuilder.h"
#include "TempDrives.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

const QString kStartupNative = QStringLiteral("Users/Public/Start Menu/Programs/Startup");
const QString kProductNative = QStringLiteral("Users/Public/Start Menu/Programs/Tillora");

QStringList itemsOf(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

QStringList itemsOf(const QComboBox* combo) {
    QStringList texts;
    for (int row = 0; row < combo->count(); ++row)
        texts.append(combo->itemText(row));
    return texts;
}

void select(QListWidget* list, const QString& name) {
    const auto found = list->findItems(name, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    found.first()->setSelected(true);
}

struct Machine {
    TempDrives drives;
    FakePlatform platform{drives.driveFolder()};
    FakePrompts prompts;
    ProgramValues values;

    Machine() {
        drives.addDrive('c');
        platform.profiles = {QStringLiteral("C:\\Users\\Public"),
                             QStringLiteral("C:\\Users\\Default"), QStringLiteral("C:\\Users"),
                             QStringLiteral("C:\\Users\\owner")};
    }
};

} // namespace

class TestSetupWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startupWindowShowsTheProfileFolders() {
        Machine m;
        m.drives.writeFile('c', kStartupNative + "/Tillora.lnk", "s");
        m.drives.writeFile('c', kProductNative + "/Backup.lnk", "b");
        GetApiDir window(m.platform, m.prompts);

        QCOMPARE(window.windowTitle(), QStringLiteral("Windows Startup"));
        QCOMPARE(itemsOf(window.List1), (QStringList{"C:\\Users\\Public", "C:\\Users\\Default",
                                                     "C:\\Users", "C:\\Users\\owner"}));
        QCOMPARE(window.Text1->text(), QStringLiteral("C:\\Users\\Public"));
        QCOMPARE(window.Text2->text(),
                 QStringLiteral("C:\\Users\\Public\\Start Menu\\Programs\\Startup"));
        QCOMPARE(window.File2->path(),
                 QStringLiteral("C:\\Users\\Public\\Start Menu\\Programs\\Tillora"));
        QCOMPARE(itemsOf(window.File1), QStringList{"Tillora.lnk"});
        QCOMPARE(itemsOf(window.File2), QStringList{"Backup.lnk"});
        QVERIFY(!window.Command2->isEnabled());
        QVERIFY(!window.Command3->isEnabled());
    }

    void missingProductFolderShowsAnEmptyList() {
        Machine m;
        m.drives.writeFile('c', kStartupNative + "/Tillora.lnk", "s");
        GetApiDir window(m.platform, m.prompts);
        QCOMPARE(window.File2->count(), 0);
        QCOMPARE(itemsOf(window.File1), QStringList{"Tillora.lnk"});
    }

    void movingAFileSpendsTheSelection() {
        Machine m;
        m.drives.writeFile('c', kStartupNative + "/Tillora.lnk", "new");
        m.drives.writeFile('c', kStartupNative + "/Clock.lnk", "clock");
        m.drives.writeFile('c', kProductNative + "/Tillora.lnk", "old");
        GetApiDir window(m.platform, m.prompts);

        select(window.File1, QStringLiteral("Tillora.lnk"));
        QCOMPARE(window.Label2->text(), QStringLiteral("Tillora.lnk"));
        QCOMPARE(window.Label2->toolTip(),
                 QStringLiteral("C:\\Users\\Public\\Start Menu\\Programs\\Startup\\Tillora.lnk"));
        QVERIFY(window.Command2->isEnabled());

        QTest::mouseClick(window.Command2, Qt::LeftButton);
        QVERIFY(m.prompts.asked.isEmpty());
        QCOMPARE(m.drives.readFile('c', kProductNative + "/Tillora.lnk"), QByteArray("new"));
        QCOMPARE(itemsOf(window.File1), QStringList{"Clock.lnk"});
        QCOMPARE(itemsOf(window.File2), QStringList{"Tillora.lnk"});
        QVERIFY(!window.Command2->isEnabled());
        QVERIFY(window.Label2->text().isEmpty());

        // The refresh selects nothing by itself; a new selection enables the button again.
        window.File1->setFocus();
        QVERIFY(!window.Command2->isEnabled());
        select(window.File1, QStringLiteral("Clock.lnk"));
        QVERIFY(window.Command2->isEnabled());

        // And the way back.
        select(window.File2, QStringLiteral("Tillora.lnk"));
        QTest::mouseClick(window.Command3, Qt::LeftButton);
        QCOMPARE(itemsOf(window.File1), (QStringList{"Clock.lnk", "Tillora.lnk"}));
        QCOMPARE(window.File2->count(), 0);
        QVERIFY(!window.Command3->isEnabled());
    }

    void failedMoveTellsTheOperator() {
        Machine m;
        m.drives.writeFile('c', kStartupNative + "/Tillora.lnk", "s");
        GetApiDir window(m.platform, m.prompts); // no product folder
        select(window.File1, QStringLiteral("Tillora.lnk"));
        QTest::mouseClick(window.Command2, Qt::LeftButton);

        QCOMPARE(m.prompts.asked.size(), 1);
        QCOMPARE(m.prompts.asked[0].icon, PromptIcon::Critical);
        QVERIFY(m.prompts.asked[0].text.contains("does not exist"));
        QCOMPARE(itemsOf(window.File1), QStringList{"Tillora.lnk"});
        QVERIFY(!window.Command2->isEnabled());
    }

    void quickSetupFillsItsBoxes() {
        Machine m;
        m.platform.printers = {QStringLiteral("Receipt"), QStringLiteral("Bar")};
        m.drives.writeFile('c', "Tillora/TlraINI.dat",
                           settingsFile({{0, "Joe's Diner"},
                                         {5, "C:\\Tillora\\"},
                                         {7, "Receipt"},
                                         {28, "Kitchen 1"},
                                         {34, "Bar"},
                                         {39, "D:\\Shiftra\\"}}));
        QS1 window(m.platform, m.prompts, m.values);
        QVERIFY(window.loaded());
        QCOMPARE(window.windowTitle(), QStringLiteral("Quick Setup 1"));
        QCOMPARE(window.Text1->text(), QStringLiteral("Joe's Diner") + QString(29, u' '));
        QCOMPARE(window.Text7->text(), QString(10, u' ')); // the design text is replaced
        for (QComboBox* combo : {window.Combo1, window.Combo5, window.Combo7, window.Combo9})
            QCOMPARE(itemsOf(combo), (QStringList{"Receipt", "Bar"}));
        QCOMPARE(window.Combo1->currentText().trimmed(), QStringLiteral("Receipt"));
        QCOMPARE(window.Combo5->currentText().trimmed(), QStringLiteral("Kitchen 1"));
        QCOMPARE(window.Combo7->currentText().trimmed(), QStringLiteral("Bar"));
        QCOMPARE(window.Combo9->currentText(), QString(20, u' '));
        QCOMPARE(window.Text9->text(), QStringLiteral("D:\\Shiftra\\"));
        QCOMPARE(window.Text8->text(), m.values.RemoteDIR);
        for (QPushButton* push : {window.SSCommand1, window.SSCommand2, window.SSCommand3,
                                  window.SSCommand4, window.SSCommand5}) {
            QVERIFY(!push->isEnabled());
            QVERIFY(!push->toolTip().isEmpty());
        }
    }

    void quickSetupWithoutPrintersKeepsTheFileTexts() {
        Machine m;
        m.drives.writeFile('c', "Tillora/TlraINI.dat", settingsFile({{7, "Epson"}, {72, "KP2"}}));
        QS1 window(m.platform, m.prompts, m.values);
        for (QComboBox* combo : {window.Combo1, window.Combo5, window.Combo7, window.Combo9})
            QCOMPARE(combo->count(), 0);
        QCOMPARE(window.Combo1->currentText().trimmed(), QStringLiteral("Epson"));
        QCOMPARE(window.Combo9->currentText().trimmed(), QStringLiteral("KP2"));
        QCOMPARE(window.Text13->text(), QStringLiteral("C:\\Shiftra\\"));
    }

    void quickSetupClosesAfterASecondFailure() {
        Machine m;
        m.prompts.inputAnswers.enqueue(QStringLiteral("C:\\Nowhere\\"));
        QPointer<QS1> window = QS1::open(m.platform, m.prompts, m.values);
        QCOMPARE(m.prompts.inputs.size(), 1);
        QVERIFY(window.isNull() || !window->isVisible());
        QTRY_VERIFY(window.isNull());
        // The wrong answer leaves the folders the other settings are saved in.
        QCOMPARE(m.values.DataDIR, ProgramValues().DataDIR);
    }

    void windowsStartupOpensOneShortcutWindow() {
        Machine m;
        m.drives.writeFile('c', "Tillora/TlraINI.dat", settingsFile({}));
        QS1 window(m.platform, m.prompts, m.values);
        window.show();
        QTest::mouseClick(window.Command2, Qt::LeftButton);
        QPointer<GetApiDir> opened = window.startupWindow();
        QVERIFY(opened);
        QVERIFY(opened->isVisible());
        QVERIFY(window.isVisible()); // not modal: the quick setup window stays usable
        QTest::mouseClick(window.Command2, Qt::LeftButton);
        QCOMPARE(window.startupWindow(), opened.data());

        QTest::mouseClick(opened->Command1, Qt::LeftButton); // "Done"
        QTRY_VERIFY(opened.isNull());
        QTest::mouseClick(window.Command1, Qt::LeftButton); // "Quit"
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestSetupWindows)
#include "tst_setup_windows.moc"
