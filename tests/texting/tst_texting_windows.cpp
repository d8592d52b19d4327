// The texter, mail and clocked-in windows over a test drive and a real SMTP server.
#include "CarrierFile.h"
#include "Email2.h"
#include "Email2Factory.h"
#include "FakePlatform.h"
#include "FakePrompts.h"
#include "ManualClock.h"
#include "ProgramValues.h"
#include "SecretStore.h"
#include "ShiftraInOut.h"
#include "SmtpTestServer.h"
#include "TLRAtxtMsg.h"
#include "TempDrives.h"
#include "TextSettingsFile.h"
#include "TextingTestData.h"
#include "TimeClockFiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

const QByteArray storedSettings = "\"1\"\r\n\"555-123-4567\"\r\n\"Verizon\"\r\n\"9:00 am\"\r\n"
                                  "\"5:00 pm\"\r\n\"1\"\r\n\"0\"\r\n\"1\"\r\n\"1\"\r\n"
                                  "\"12/01/2026 at 10:00 AM\"\r\n\"number@vtext.com\"\r\n"
                                  "\" owner@store.test\"\r\n\"secret-pass\"\r\n\"FUTURE\"\r\n"
                                  "\"Data file for Text Messege\"\r\n";

// A store's drive C with the program's files, and the objects every window needs.
struct Fixture {
    TempDrives drives;
    std::unique_ptr<FakePlatform> platform;
    ProgramValues values;
    ManualClock clock{QDateTime(QDate(2026, 12, 7), QTime(15, 5))};
    FakePrompts prompts;
    std::unique_ptr<Email2Factory> mail;

    Fixture() {
        drives.addDrive('c');
        drives.writeFile('c', "Tillora/ini/keep", "");
        drives.writeFile('c', "Tillora/TlraIni.dat", QByteArray(2300, 'S'));
        platform = std::make_unique<FakePlatform>(drives.driveFolder());
        QVERIFY(ensureCarrierFile(*platform, values));
        mail = std::make_unique<Email2Factory>(*platform, values, clock, prompts);
    }
    void useServer(const SmtpTestServer& server) {
        drives.writeFile('c', "Tillora/ini/MailServer.dat",
                         mailServerRecord(drives, server.port(), server.certificateFile()));
    }
    TLRAtxtMsg* texter() { return new TLRAtxtMsg(*platform, values, clock, prompts, *mail); }
};

void processDeferredDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestTextingWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mailWindowSendsFromTheStoredAccountAndUnloads() {
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        Fixture f;
        f.useServer(server);
        f.drives.writeFile('c', "Tillora/ini/MobileText.dat", storedSettings);

        QPointer<Email2> window = f.mail->create();
        QCOMPARE(window->windowTitle(), QStringLiteral("Send Email"));
        QCOMPARE(window->Text1->text(), QStringLiteral(" owner@store.test"));
        QCOMPARE(window->Text2->text(), QStringLiteral("secret-pass"));
        QVERIFY(window->Text3->text().isEmpty());
        // The settings file copied for mail on load.
        QCOMPARE(f.drives.readFile('c', "Tillora/TLRAini.DOC"), QByteArray(2300, 'S'));

        window->Text3->setText("5551234567@txt.example.net");
        window->Text4->setText("Current Sales Total");
        window->Text5->setPlainText("The current sales total is $10.00\r\nThis Text message");
        std::optional<MailResult> result;
        window->M1([&](const MailResult& sent) { result = sent; });
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 10000);
        QVERIFY2(result->ok(), qPrintable(result->reason));
        processDeferredDeletes();
        QVERIFY(!window); // unloaded after the message

        const auto mails = server.received();
        QCOMPARE(mails.size(), 1);
        QCOMPARE(mails[0].login, QStringLiteral("owner@store.test"));
        QCOMPARE(mails[0].header("From"), QStringLiteral(" owner@store.test"));
        QCOMPARE(mails[0].header("Subject"), QStringLiteral("Current Sales Total"));
        QCOMPARE(mails[0].plainPart,
                 QStringLiteral("The current sales total is $10.00\r\nThis Text message"));

        // The next window starts from its defaults again.
        QPointer<Email2> next = f.mail->create();
        QVERIFY(next->Text3->text().isEmpty());
        QVERIFY(next->Text4->text().startsWith("Sales report"));
        delete next;
    }

    void mailWindowWithoutAccountFailsClearly() {
        Fixture f;
        f.drives.writeFile('c', "Tillora/TlraIni.dat", "");
        QFile::remove(f.platform->nativePath("c:\\Tillora\\TlraIni.dat"));
        QPointer<Email2> window = f.mail->create();
        QVERIFY(window->Text1->text().isEmpty());
        QCOMPARE(f.drives.readFile('c', "Tillora/TLRAini.DOC"), QByteArray()); // created empty
        window->Text3->setText("someone@store.test");
        std::optional<MailResult> result;
        window->M1([&](const MailResult& sent) { result = sent; });
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 10000);
        QCOMPARE(result->failure, MailFailure::NoAccount);
        processDeferredDeletes();
        QVERIFY(!window); // a hidden window does not linger
    }

    void texterStartsFromDefaultsAndLoadsTheFiles() {
        Fixture f;
        QPointer<TLRAtxtMsg> plain = f.texter();
        QCOMPARE(plain->windowTitle(), QStringLiteral("Moblie Texter"));
        QVERIFY(!plain->Check1->isChecked());
        QCOMPARE(plain->Text1->text(), QStringLiteral("000-000-0000"));
        // A click into the placeholder selects it: the number typed replaces it.
        plain->show();
        QVERIFY(QTest::qWaitForWindowActive(plain));
        QTest::mouseClick(plain->Text1, Qt::LeftButton);
        QTest::keyClicks(plain->Text1, "6035550142");
        QCOMPARE(plain->Text1->text(), QStringLiteral("6035550142"));
        QCOMPARE(plain->Combo1->currentText(), QStringLiteral("10:00 am"));
        QCOMPARE(plain->Combo2->currentText(), QStringLiteral("10:00 pm"));
        QCOMPARE(plain->Combo1->count(), 96);
        QCOMPARE(plain->Combo1->itemText(39), QStringLiteral("9:45 am"));
        QVERIFY(plain->Text4->text().isEmpty());
        QVERIFY(plain->Text5->text().isEmpty());
        QVERIFY(plain->Text6->text().isEmpty());
        QCOMPARE(plain->Combo3->count(), 9);
        QCOMPARE(plain->Combo3->currentText(), QStringLiteral("Select your Carrier Here"));
        QCOMPARE(plain->Check3->text(), QStringLiteral("Send  this hours voids"));
        QVERIFY(!plain->Command3->isEnabled());
        QVERIFY(!plain->Command9->isEnabled());
        QVERIFY(plain->Command1->isEnabled());
        delete plain;

        f.drives.writeFile('c', "Tillora/ini/MobileText.dat", storedSettings);
        QPointer<TLRAtxtMsg> texter = f.texter();
        QVERIFY(texter->Check1->isChecked());
        QCOMPARE(texter->Text1->text(), QStringLiteral("555-123-4567"));
        QCOMPARE(texter->Text2->text(), QStringLiteral("Verizon"));
        QCOMPARE(texter->Combo1->currentText(), QStringLiteral("9:00 am"));
        QCOMPARE(texter->Combo2->currentText(), QStringLiteral("5:00 pm"));
        QVERIFY(texter->Check2->isChecked());
        QVERIFY(!texter->Check3->isChecked());
        QVERIFY(texter->Check4->isChecked());
        QVERIFY(texter->Check5->isChecked());
        QCOMPARE(texter->Text3->text(), QStringLiteral("number@vtext.com"));
        QCOMPARE(texter->Text5->text(), QStringLiteral(" owner@store.test"));
        delete texter;
    }

    void carrierChoiceAndTyping() {
        Fixture f;
        std::unique_ptr<TLRAtxtMsg> texter(f.texter());
        texter->show();
        QVERIFY(QTest::qWaitForWindowExposed(texter.get()));
        texter->Combo3->setCurrentIndex(1);
        Q_EMIT texter->Combo3->activated(1);
        QCOMPARE(texter->Text2->text(), QStringLiteral("AT&T"));
        QCOMPARE(texter->Text3->text(), QStringLiteral("number@txt.att.net"));
        // That gateway is closed: a red line says so.
        QVERIFY(!texter->Label6->isHidden());
        // The window shown before the warning came grows to give it the lines it needs.
        QCoreApplication::sendPostedEvents();
        QVERIFY(texter->Label6->height() >=
                texter->Label6->heightForWidth(texter->Label6->width()));
        QCOMPARE(texter->Label6->text(),
                 QStringLiteral("This carrier stopped delivering e-mail texts in June 2025: use "
                                "e-mail or push in Delivery"));
        texter->Combo3->setEditText("My Own Carrier");
        QCOMPARE(texter->Text2->text(), QStringLiteral("My Own Carrier"));
        QCOMPARE(texter->Text3->text(), QStringLiteral("number@txt.att.net")); // unchanged
        texter->Combo3->setEditText("Verizon");
        QCOMPARE(texter->Text3->text(), QStringLiteral("number@vtext.com"));
        QVERIFY(texter->Label6->text().contains("closes on March 31, 2027"));
        texter->Text3->setText("number@sms.example.net");
        QVERIFY(texter->Label6->isHidden());
    }

    void labelClickUnlocksTheTools() {
        Fixture f;
        std::unique_ptr<TLRAtxtMsg> texter(f.texter());
        QTest::mouseClick(texter->Label1[2], Qt::LeftButton);
        for (QPushButton* tool :
             {texter->Command3, texter->Command4, texter->Command5, texter->Command6,
              texter->Command7, texter->Command8, texter->Command9})
            QVERIFY(tool->isEnabled());
    }

    void doneSavesOrRemovesTheSettings() {
        Fixture f;
        QPointer<TLRAtxtMsg> texter = f.texter();
        QSignalSpy done(texter.data(), &TLRAtxtMsg::settingsDone);
        texter->Check1->setChecked(true);
        texter->Text1->setText("555-987-6543");
        texter->Text6->setText("typed-secret");
        texter->SSCommand1->click();
        QCOMPARE(done.size(), 1);
        QCOMPARE(done[0][0].toBool(), true);
        processDeferredDeletes();
        QVERIFY(!texter); // closed
        const QByteArray saved = f.drives.readFile('c', "Tillora/ini/MobileText.dat");
        QVERIFY(saved.startsWith("\"1\"\r\n\"555-987-6543\"\r\n"));
        QVERIFY(saved.contains("\"12/07/2026 at 03:05 PM\"\r\n"));
        // The password goes to the user's secret store, never to the data folder.
        QVERIFY(saved.contains("\"\"\r\n\"FUTURE\"\r\n") && !saved.contains("typed-secret"));
        QCOMPARE(SecretStore(f.platform->userSettingsFolder()).value("Mail/Password"),
                 QStringLiteral("typed-secret"));

        texter = f.texter();
        QSignalSpy off(texter.data(), &TLRAtxtMsg::settingsDone);
        texter->Check1->setChecked(false);
        texter->SSCommand1->click();
        QCOMPARE(off.size(), 1);
        QCOMPARE(off[0][0].toBool(), false);
        QVERIFY(!f.drives.exists('c', "Tillora/ini/MobileText.dat"));
        QCOMPARE(settingsButtonColour(textSettingsFileExists(*f.platform, f.values)), 255u);
        processDeferredDeletes();
    }

    void testTextRefusesBadNumbers() {
        Fixture f;
        std::unique_ptr<TLRAtxtMsg> texter(f.texter());
        texter->Command1->click();
        texter->Text1->setText("055-123-4567");
        texter->Command1->click();
        texter->Text1->setText("123-4567");
        texter->Command1->click();
        QCOMPARE(f.prompts.asked.size(), 3);
        QCOMPARE(f.prompts.asked[0].title, QStringLiteral("Won't Work"));
        QCOMPARE(f.prompts.asked[0].icon, PromptIcon::Critical);
        QCOMPARE(f.prompts.asked[0].text, QStringLiteral("You cannot send to 000-000-0000"));
        QCOMPARE(f.prompts.asked[1].text,
                 QStringLiteral("You cannot send to 055-123-4567Please check the area code"));
        QCOMPARE(f.prompts.asked[2].text,
                 QStringLiteral("You cannot send to 123-4567Please check the area code"));
    }

    // A gateway that would add a recipient or text to the envelope is refused wherever it
    // comes from: the carrier file, the stored settings or the keyboard.
    void unusableGatewaysAreRefusedWithAReason() {
        Fixture f;
        f.drives.writeFile('c', "Tillora/data/sms.dat",
                           "\"Good\",\"number@sms.good.test\"\r\n"
                           "\"Sneaky\",\"number@sms.good.test,boss@else.test\"\r\n");
        std::unique_ptr<TLRAtxtMsg> texter(f.texter());
        QCOMPARE(texter->Combo3->count(), 1);
        QVERIFY(!texter->GatewayWarning->isHidden());
        QVERIFY(texter->GatewayWarning->text().contains("c:\\Tillora\\data\\sms.dat"));
        QVERIFY(texter->GatewayWarning->text().endsWith(": Sneaky."));

        texter->Text1->setText("555-123-4567");
        texter->Text3->setText("number@sms.good.test>x");
        QVERIFY(texter->GatewayWarning->text().startsWith(
            "The carrier gateway \"number@sms.good.test>x\" is not"));
        texter->Command1->click();
        texter->Check1->setChecked(true);
        texter->SSCommand1->click();
        QCOMPARE(f.prompts.asked.size(), 2);
        QCOMPARE(f.prompts.asked[0].title, QStringLiteral("Won't Work"));
        QCOMPARE(f.prompts.asked[1].title, QStringLiteral("Settings Not Saved"));
        QVERIFY(!f.drives.exists('c', "Tillora/ini/MobileText.dat"));

        texter->Text3->setText("number@sms.good.test");
        QVERIFY(texter->GatewayWarning->text().startsWith("Left out of the carrier list"));
    }

    void testButtonsSendWithTheLiveAccount() {
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        Fixture f;
        f.useServer(server);
        std::unique_ptr<TLRAtxtMsg> texter(f.texter());
        texter->Text1->setText("555-123-4567");
        texter->Text3->setText("number@txt.example.net");
        texter->Text5->setText("owner@store.test"); // typed, not saved
        texter->Text6->setText("secret-pass");
        texter->Text4->setText("manager@store.test");
        texter->Command1->click();
        QTRY_VERIFY_WITH_TIMEOUT(texter->Command2->isEnabled(), 10000);
        texter->Command2->click();
        QTRY_VERIFY_WITH_TIMEOUT(texter->Command2->isEnabled(), 10000);
        QVERIFY2(f.prompts.asked.isEmpty(), qPrintable(f.prompts.asked.value(0).text));
        processDeferredDeletes();

        const auto mails = server.received();
        QCOMPARE(mails.size(), 2);
        QCOMPARE(mails[0].rcptTos, QStringList{"5551234567@txt.example.net"});
        QCOMPARE(mails[1].rcptTos, QStringList{"manager@store.test"});
        for (const auto& mail : mails) {
            QCOMPARE(mail.login, QStringLiteral("owner@store.test"));
            QCOMPARE(mail.header("Subject"), QStringLiteral("Test Text Message"));
            QCOMPARE(mail.plainPart, QStringLiteral("This is a test Text message sent from "
                                                    "Tillora, The professionals Choice."));
        }
    }

    void failedTestSendIsShownAndTheProgramGoesOn() {
        SmtpTestServer server;
        QVERIFY2(server.started(), qPrintable(server.error()));
        Fixture f;
        f.useServer(server);
        std::unique_ptr<TLRAtxtMsg> texter(f.texter());
        texter->Text5->setText("owner@store.test");
        texter->Text6->setText("wrong");
        texter->Text4->setText("manager@store.test");
        texter->Command2->click();
        QTRY_VERIFY_WITH_TIMEOUT(texter->Command2->isEnabled(), 10000);
        QCOMPARE(f.prompts.asked.size(), 1);
        QCOMPARE(f.prompts.asked[0].icon, PromptIcon::Critical);
        QVERIFY(f.prompts.asked[0].text.contains("refused the login"));
        QCOMPARE(texter->lastTestResult().failure, MailFailure::LoginRefused);
        QVERIFY(texter->Command2->isEnabled());
        // The visible mail window stays open so the password can be corrected.
        const auto windows = QApplication::topLevelWidgets();
        const auto open = std::count_if(windows.begin(), windows.end(), [](QWidget* w) {
            return qobject_cast<Email2*>(w) && w->isVisible();
        });
        QCOMPARE(open, 1);
        for (QWidget* w : windows)
            if (qobject_cast<Email2*>(w))
                delete w;
    }

    void silentServerKeepsTheWindowResponsive() {
        SmtpTestServer silent(SmtpTestServer::Mode::Silent);
        QVERIFY2(silent.started(), qPrintable(silent.error()));
        Fixture f;
        f.drives.writeFile('c', "Tillora/ini/MailServer.dat",
                           "\"" + TestServerHost.toUtf8() + "\"," +
                               QByteArray::number(silent.port()) + "\r\n");
        f.mail->setTimeouts({std::chrono::milliseconds(1000), std::chrono::milliseconds(2000)});
        std::unique_ptr<TLRAtxtMsg> texter(f.texter());
        texter->Text5->setText("owner@store.test");
        texter->Text6->setText("secret-pass");
        texter->Text4->setText("manager@store.test");
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(100);
        QElapsedTimer elapsed;
        elapsed.start();
        texter->Command2->click();
        QTRY_VERIFY_WITH_TIMEOUT(texter->Command2->isEnabled(), 10000);
        QVERIFY(elapsed.elapsed() < 4000);
        QVERIFY(ticks >= 5);
        QCOMPARE(texter->lastTestResult().failure, MailFailure::TimedOut);
        QCOMPARE(f.prompts.asked.size(), 1);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<Email2*>(w))
                delete w;
    }

    void clockedInWindowListsAndClocksOut() {
        Fixture f;
        f.drives.writeFile('c', "shiftra/Data/TSinout.dat",
                           clockRecord("7", "1", "08:00") + clockRecord("9", "0", "09:00") +
                               clockRecord("12", "1", "10:30"));
        f.drives.writeFile('c', "shiftra/Data/Zemployee.dat",
                           employeeRecord("007", "Ann Baker") + employeeRecord("12", "Eve Fox"));
        QPointer<ShiftraInOut> window = new ShiftraInOut(*f.platform, f.values, f.clock, f.prompts);
        QCOMPARE(window->windowTitle(), QStringLiteral("Employees Clocked In"));
        QCOMPARE(window->Label7->text(), QStringLiteral("15:05"));
        QVERIFY(window->Label7->isHidden());
        QCOMPARE(window->MList1->topLevelItemCount(), 15);
        QCOMPARE(window->MList1->topLevelItem(1)->text(2), QStringLiteral("12"));
        QCOMPARE(window->clockedInEntries(),
                 (QStringList{"|" + QString("Ann Baker").leftJustified(30),
                              "|" + QString("Eve Fox").leftJustified(30)}));
        QVERIFY(!window->SSCommand3->isEnabled());

        Q_EMIT window->MList1->itemClicked(window->MList1->topLevelItem(5), 0); // a blank row
        QVERIFY(!window->SSCommand3->isEnabled());
        Q_EMIT window->MList1->itemClicked(window->MList1->topLevelItem(0), 0);
        QVERIFY(window->SSCommand3->isEnabled());
        QCOMPARE(window->Label1->text(), QStringLiteral("7"));
        QCOMPARE(window->SelectedEmployee, QStringLiteral("7"));

        f.clock.set(QDateTime(QDate(2026, 12, 7), QTime(17, 30)));
        window->SSCommand3->click();
        QVERIFY(f.prompts.asked.isEmpty());
        QCOMPARE(window->MList1->topLevelItemCount(), 15);
        QCOMPARE(window->clockedInEntries().size(), 1);
        QVERIFY(window->SelectedEmployee.isEmpty());
        QVERIFY(!window->SSCommand3->isEnabled());
        const FixedRecord sheet(100, f.drives.readFile('c', "shiftra/Data/7TS.dat"));
        // The shift runs from the recorded clock-in, not from when the window was opened.
        QCOMPARE(sheet.raw(clockrecord::TimeIn), QStringLiteral("08:00"));
        QCOMPARE(sheet.raw(clockrecord::TimeOut), QStringLiteral("17:30"));
        delete window;
    }

    void clockedInButtonFillsLabel5() {
        Fixture f;
        f.drives.writeFile('c', "shiftra/Data/TSinout.dat",
                           clockRecord("7", "1", "08:00") + clockRecord("12", "1", "10:30"));
        f.drives.writeFile('c', "shiftra/Data/Zemployee.dat",
                           employeeRecord("7", "Ann Baker") + employeeRecord("12", "Eve Fox"));
        std::unique_ptr<TLRAtxtMsg> texter(f.texter());
        texter->Command4->setEnabled(true);
        texter->Command4->click();
        QCOMPARE(texter->Label5->text(), QStringLiteral("|Ann Baker|Eve Fox|"));

        f.values.ShiftraDIR = "c:\\nowhere\\";
        texter->Command4->click();
        QCOMPARE(texter->Label5->text(), QStringLiteral("|"));
        QCOMPARE(f.prompts.asked.size(), 1);
        QVERIFY(f.prompts.asked[0].text.contains("c:\\nowhere\\Data\\"));
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<ShiftraInOut*>(w))
                delete w;
    }

    void logAndCarrierFilesOpenInTheEditor() {
        Fixture f;
        f.drives.writeFile('c', "Tillora/TxtMsg.log", "Text Sucessfully Sent\r\n");
        std::unique_ptr<TLRAtxtMsg> texter(f.texter());
        texter->SSCommand3->click();
        texter->Command7->setEnabled(true);
        texter->Command7->click();
        QCOMPARE(f.platform->started.size(), 2);
        QCOMPARE(f.platform->started[0],
                 f.platform->editorCommand(f.platform->nativePath("c:\\Tillora\\data\\sms.dat")));
        QCOMPARE(f.platform->started[1],
                 f.platform->editorCommand(f.platform->nativePath("c:\\Tillora\\TxtMsg.log")));
        // No editor to start: the log shows read-only in a window of its own.
        f.platform->startSucceeds = false;
        texter->Command7->click();
        QVERIFY(f.prompts.asked.isEmpty());
        QPlainTextEdit* view = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("TextFileView") && w->isVisible())
                view = qobject_cast<QPlainTextEdit*>(w);
        QVERIFY(view && view->isReadOnly());
        QVERIFY(view->toPlainText().startsWith(QStringLiteral("Text Sucessfully Sent")));
        delete view;

        texter->Command8->setEnabled(true);
        texter->Command8->click();
        QVERIFY(f.drives.exists('c', "Tillora/TxtMsg.log"));
        QCOMPARE(f.drives.readFile('c', "Tillora/TxtMsg.log"), QByteArray());
    }
};

QTEST_MAIN(TestTextingWindows)
#include "tst_texting_windows.moc"
