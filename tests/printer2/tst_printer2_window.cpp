// The kitchen printer 2 window and the program's start.
#include "FakePrompts.h"
#include "Form2.h"
#include "Kp2Startup.h"
#include "ManualClock.h"
#include "Printer2Fixture.h"
#include "SessionAutostart.h"
#include "TrayIcon.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace tillora;
using namespace tillora::test;

namespace {

const QByteArray MondayOnlyFile = "\"4:00 pm\",\"6:00 pm\"\r\n"
                                  "\"\",\"\"\r\n\"\",\"\"\r\n\"\",\"\"\r\n"
                                  "\"\",\"\"\r\n\"\",\"\"\r\n\"\",\"\"\r\n";

// Monday 7 December 2026 at the given time.
QDateTime monday(int hour, int minute, int second = 0) {
    return QDateTime(QDate(2026, 12, 7), QTime(hour, minute, second));
}

struct Window : Printer2Fixture {
    explicit Window(bool notificationArea = true) {
        form = std::make_unique<Form2>(platform, clock, prompts, values);
        form->setNotificationAreaAvailable(notificationArea);
    }
    bool markerPresent() const {
        return drives.exists('c', QStringLiteral("Tillora/dontprint.txt"));
    }
    void setMonday(const QString& on, const QString& off) {
        form->Combo1[0]->setEditText(on);
        form->Combo2[0]->setEditText(off);
    }
    void ticks(int count) {
        for (int i = 0; i < count; ++i)
            form->Timer1_Tick();
    }

    ManualClock clock{monday(15, 0)};
    FakePrompts prompts;
    std::unique_ptr<Form2> form;
};

} // namespace

class TestPrinter2Window : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void loadShowsSettingsScheduleAndMarker() {
        Window w;
        w.drives.writeFile('c', QStringLiteral("Tillora/TlraIni.dat"),
                           Printer2Fixture::settingsRecord("Joe's Diner", "C:\\POSDATA\\"));
        w.drives.writeFile('c', QStringLiteral("POSDATA/TlraKP2Ini.dat"),
                           "\"4:00 pm\",\"6:00 pm\"\r\n\"\",\"\"\r\n\"\",\"\"\r\n\"\",\"\"\r\n"
                           "\"\",\"\"\r\n\"9:00 am\",\"10:00 pm\"\r\n\"\",\"\"\r\n");
        w.drives.writeFile('c', QStringLiteral("POSDATA/dontprint.txt"), {});
        w.form->Form_Load();

        QCOMPARE(w.form->windowTitle(), QStringLiteral("Form1"));
        QCOMPARE(w.form->SSPanel1[2]->text(), QStringLiteral("Joe's Diner"));
        QCOMPARE(w.values.DataDIR, QStringLiteral("C:\\POSDATA\\"));
        QCOMPARE(w.form->Combo1[0]->currentText(), QStringLiteral("4:00 pm"));
        QCOMPARE(w.form->Combo2[5]->currentText(), QStringLiteral("10:00 pm"));
        QCOMPARE(w.form->Combo1[1]->currentText(), QString());
        for (int i = 0; i < 7; ++i) {
            QCOMPARE(w.form->Combo1[i]->count(), 96);
            QCOMPARE(w.form->Combo2[i]->itemText(95), QStringLiteral("11:45 pm"));
        }
        QCOMPARE(w.form->SSPanel4->text(), QStringLiteral("Monday  December 07 2026"));
        QCOMPARE(w.form->Label2->text(), QStringLiteral("Monday"));
        QCOMPARE(w.form->Command1->text(), QStringLiteral("Add an Icon"));
        QCOMPARE(w.form->Command2->text(), QStringLiteral("Delete Icon"));

        // The marker present at start: "ON" on green, only "Turn Off" offered.
        QCOMPARE(w.form->SSPanel3->text(), QStringLiteral("ON"));
        QCOMPARE(w.form->SSPanel3->palette().color(QPalette::Window), QColor(0, 192, 0));
        QVERIFY(!w.form->SSCommand3->isEnabled());
        QVERIFY(w.form->SSCommand4->isEnabled());

        // Settled into the notification area with the two-line tip; a click brings it back.
        QVERIFY(w.form->isHidden());
        QVERIFY(w.form->trayIcon()->isShown());
        auto* icon = w.form->trayIcon()->findChild<QSystemTrayIcon*>();
        QVERIFY(icon);
        QCOMPARE(icon->toolTip(),
                 QStringLiteral("Tillora Kitchen Printer 2 \nClick Here to view Settings "));
        w.form->IconMessage(512); // plain movement
        QVERIFY(w.form->isHidden());
        w.form->IconMessage(514);
        QVERIFY(w.form->isVisible());
        QVERIFY(w.form->Timer1->isActive());
        QCOMPARE(w.form->Timer1->interval(), Form2::TimerInterval);
    }

    void loadWithoutFilesKeepsDesignTexts() {
        Window w(false);
        w.form->Form_Load();
        QCOMPARE(w.form->SSPanel1[2]->text(), QStringLiteral("Happy Hour Settings"));
        QCOMPARE(w.values.DataDIR, QStringLiteral("c:\\Tillora\\"));
        QCOMPARE(w.form->schedule(), KitchenSchedule{});
        QCOMPARE(w.form->SSPanel3->text(), QStringLiteral("OFF"));
        QCOMPARE(w.form->SSPanel3->palette().color(QPalette::Window), QColor(255, 0, 0));
        QVERIFY(w.form->SSCommand3->isEnabled());
        QVERIFY(!w.form->SSCommand4->isEnabled());
        // No notification area: the window stays reachable, minimised.
        QVERIFY(w.form->isVisible());
        QVERIFY(w.form->isMinimized());
    }

    void everyFifthTickFollowsTheSchedule() {
        Window w;
        w.form->Form_Load();
        w.setMonday(QStringLiteral("4:00 pm"), QStringLiteral("6:00 pm")); // not saved
        w.clock.set(monday(18, 0, 0));
        w.ticks(4);
        QCOMPARE(w.form->tickCount(), 4);
        QCOMPARE(w.form->barWidthTwips(), 5000);
        QVERIFY(!w.markerPresent());

        w.ticks(1); // 6:00:00 pm is inside, both ends count
        QCOMPARE(w.form->tickCount(), 0);
        QCOMPARE(w.form->barWidthTwips(), 15);
        QVERIFY(w.markerPresent());
        QCOMPARE(w.form->SSPanel3->text(), QStringLiteral("ON"));
        QCOMPARE(w.form->Timer1->interval(), Form2::TimerInterval);
        QVERIFY(w.form->Timer1->isActive());

        w.clock.set(monday(18, 0, 30));
        w.ticks(5);
        QVERIFY(!w.markerPresent());
        QCOMPARE(w.form->SSPanel3->text(), QStringLiteral("OFF"));

        // Another day uses its own row: Tuesday is blank, so nothing switches.
        w.form->SwitchOn();
        w.clock.set(monday(18, 30).addDays(1));
        w.ticks(5);
        QCOMPARE(w.form->Label2->text(), QStringLiteral("Tuesday"));
        QVERIFY(w.markerPresent());
    }

    void manualSwitchLastsUntilTheNextCheck() {
        Window w;
        w.form->Form_Load();
        w.setMonday(QStringLiteral("4:00 pm"), QStringLiteral("6:00 pm"));
        w.clock.set(monday(19, 0));
        QTest::mouseClick(w.form->SSCommand3, Qt::LeftButton);
        QVERIFY(w.markerPresent());
        w.ticks(4);
        QVERIFY(w.markerPresent());
        w.ticks(1);
        QVERIFY(!w.markerPresent());

        // With a blank off-time the operator's choice stands through every check.
        w.setMonday(QStringLiteral("4:00 pm"), QString());
        w.form->SwitchOn();
        w.ticks(10);
        QVERIFY(w.markerPresent());
    }

    void doneSavesAndSettles() {
        Window w;
        w.form->Form_Load();
        w.form->IconMessage(513);
        w.setMonday(QStringLiteral("4:00 pm"), QStringLiteral("6:00 pm"));
        QTest::mouseClick(w.form->SSCommand1, Qt::LeftButton);
        QCOMPARE(w.drives.readFile('c', QStringLiteral("Tillora/TlraKP2Ini.dat")), MondayOnlyFile);
        QVERIFY(w.form->isHidden());
        QVERIFY(w.form->trayIcon()->isShown());
        QVERIFY(w.prompts.asked.isEmpty());

        // Closing the window saves the same way and keeps the program resident.
        w.form->IconMessage(515);
        w.form->Combo2[0]->setEditText(QStringLiteral("7:00 pm"));
        QSignalSpy ended(w.form.get(), &Form2::endRequested);
        w.form->close();
        QVERIFY(w.form->isHidden());
        QVERIFY(ended.isEmpty());
        QVERIFY(w.drives.readFile('c', QStringLiteral("Tillora/TlraKP2Ini.dat"))
                    .startsWith("\"4:00 pm\",\"7:00 pm\"\r\n"));
    }

    void unsavableScheduleIsReported() {
        Window w;
        w.form->Form_Load();
        w.values.DataDIR = QStringLiteral("c:\\NoSuchFolder\\");
        w.form->IconMessage(514);
        w.setMonday(QStringLiteral("4:00 pm"), QStringLiteral("6:00 pm"));

        w.form->Done();
        QCOMPARE(w.prompts.asked.size(), 1);
        QCOMPARE(w.prompts.asked[0].icon, PromptIcon::Critical);
        QVERIFY(
            w.prompts.asked[0].text.contains(QStringLiteral("c:\\NoSuchFolder\\TlraKP2Ini.dat")));
        QVERIFY(w.form->isVisible()); // the edits stay in front of the operator
        QCOMPARE(w.form->Combo1[0]->currentText(), QStringLiteral("4:00 pm"));

        QSignalSpy ended(w.form.get(), &Form2::endRequested);
        w.form->End();
        QCOMPARE(w.prompts.asked.size(), 2);
        QCOMPARE(ended.size(), 1); // ends all the same
        QVERIFY(!w.form->trayIcon()->isShown());
    }

    void withTheIconDeletedDoneKeepsTheWindowWithinReach() {
        Window w;
        w.form->Form_Load();
        w.form->IconMessage(514);
        QTest::mouseClick(w.form->Command2, Qt::LeftButton); // "Delete Icon"
        QTest::mouseClick(w.form->SSCommand1, Qt::LeftButton);
        QVERIFY(!w.form->trayIcon()->isShown());
        QVERIFY(w.form->isVisible() && w.form->isMinimized());
        w.form->showWindow(); // a later start of the program asks for it
        QVERIFY(w.form->isVisible() && !w.form->isMinimized());
    }

    void endSavesRemovesIconAndEnds() {
        Window w;
        w.form->Form_Load();
        w.setMonday(QStringLiteral("4:00 pm"), QStringLiteral("6:00 pm"));
        QSignalSpy ended(w.form.get(), &Form2::endRequested);
        QTest::mouseClick(w.form->SSCommand2, Qt::LeftButton);
        QCOMPARE(ended.size(), 1);
        QCOMPARE(w.drives.readFile('c', QStringLiteral("Tillora/TlraKP2Ini.dat")), MondayOnlyFile);
        QVERIFY(!w.form->trayIcon()->isShown());
        QVERIFY(!w.form->Timer1->isActive());
        QVERIFY(w.prompts.asked.isEmpty());
    }

    // The box writes and removes the entry; a folder that cannot hold it is reported and
    // the box shows what is really there.
    void startWithSessionBoxSwitchesTheAutostartEntry() {
        Window w;
        w.form->Form_Load();
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("autostart"));
        SessionAutostart autostart({QStringLiteral("tillora-kp2"),
                                    QStringLiteral("KP2"),
                                    {},
                                    QStringLiteral("/usr/bin/tillora-kp2"),
                                    QStringLiteral("/srv/store")},
                                   folder);
        w.form->wireAutostart(autostart);
        w.form->IconMessage(514);
        QCheckBox* box = w.form->findChild<QCheckBox*>(QStringLiteral("StartWithSession"));
        QVERIFY(box && box->isVisible() && !box->isChecked());

        box->click();
        QFile entry(autostart.entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(
            entry.readAll().contains("\nExec=env WINEPREFIX=/srv/store /usr/bin/tillora-kp2\n"));
        entry.close();
        box->click();
        QVERIFY(!QFile::exists(autostart.entryPath()));
        QVERIFY(w.prompts.asked.isEmpty());

        QVERIFY(QDir(folder).removeRecursively());
        QFile blocker(folder); // a file where the folder belongs
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        box->click();
        QVERIFY(!box->isChecked());
        QCOMPARE(w.prompts.asked.size(), 1);
        QVERIFY(w.prompts.asked[0].text.contains(folder));
    }

    void secondInstanceIsRefusedBeforeAnyFileIsRead() {
        Printer2Fixture f;
        f.drives.writeFile('c', QStringLiteral("Tillora/TlraIni.dat"),
                           Printer2Fixture::settingsRecord("Joe's Diner", "C:\\POSDATA\\"));
        f.platform.anotherInstanceRuns = true;
        ManualClock clock;
        FakePrompts prompts;
        int refusals = 0;
        const Kp2Program program =
            startKitchenPrinter2(f.platform, clock, prompts, f.values, [&] { ++refusals; });
        QCOMPARE(refusals, 1);
        QCOMPARE(f.platform.claimedInstances, QStringList{QStringLiteral("tillora-kp2")});
        QVERIFY(!program.window);
        QVERIFY(!program.instance);
        QCOMPARE(f.values.DataDIR, QStringLiteral("c:\\Tillora\\")); // settings never read
        for (QWidget* widget : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<Form2*>(widget));
        QVERIFY(!f.drives.exists('c', QStringLiteral("Tillora/dontprint.txt")));
        QVERIFY(prompts.asked.isEmpty());
    }

    void firstInstanceLoadsTheWindow() {
        Printer2Fixture f;
        f.drives.writeFile('c', QStringLiteral("Tillora/TlraIni.dat"),
                           Printer2Fixture::settingsRecord("Joe's Diner", "C:\\Tillora\\"));
        ManualClock clock;
        FakePrompts prompts;
        int refusals = 0;
        const Kp2Program program =
            startKitchenPrinter2(f.platform, clock, prompts, f.values, [&] { ++refusals; });
        QCOMPARE(refusals, 0);
        QVERIFY(program.instance);
        QVERIFY(program.window);
        QCOMPARE(program.window->SSPanel1[2]->text(), QStringLiteral("Joe's Diner"));
        QVERIFY(program.window->trayIcon()->isShown());

        // "End" leaves the main loop as main() runs it; the window's close no longer refuses.
        QTimer giveUp;
        giveUp.callOnTimeout([] { QCoreApplication::exit(1); });
        giveUp.start(5000);
        QTimer::singleShot(0, program.window->SSCommand2, &QPushButton::click);
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(program.window->close());
    }
};

QTEST_MAIN(TestPrinter2Window)
#include "tst_printer2_window.moc"
