#pragma once

#include "TextSettingsFile.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace tillora {

class Clock;
class Email2Factory;
class Platform;
class Prompts;
class ShiftraInOut;
struct ProgramValues;

// "Moblie Texter": the settings of the hourly text report. Its controls are the live
// settings the report reads; "Done" saves them to MobileText.dat.
class TLRAtxtMsg : public QWidget {
    Q_OBJECT

public:
    TLRAtxtMsg(Platform& platform, ProgramValues& values, const Clock& clock, Prompts& prompts,
               Email2Factory& mail, QWidget* parent = nullptr);

    QCheckBox* Check1; // "Use This Feature"
    QLineEdit* Text1;  // mobile number
    QComboBox* Combo3; // carrier names
    QComboBox* Combo4; // gateway templates, hidden, same order as Combo3
    QLineEdit* Text2;  // carrier name
    QLineEdit* Text3;  // gateway template
    QComboBox* Combo1; // first report time
    QComboBox* Combo2; // last report time
    QCheckBox* Check2;
    QCheckBox* Check3;
    QCheckBox* Check4;
    QCheckBox* Check5;
    QLineEdit* Text4;    // test e-mail recipient
    QLineEdit* Text5;    // sending account
    QLineEdit* Text6;    // sending password
    QLabel* Label2;      // sales total
    QLabel* Label4;      // discount total
    QLabel* Label5;      // clocked-in names
    QLabel* Label6;      // red warning under the carrier: its gateway is closed or closing
    QTreeWidget* MList1; // send history: Date, Time, Volume
    QTimer* Timer1;      // the report's watchdog, idle here
    std::array<QLabel*, 4> Label1;

    QPushButton* Command1;   // "Test" text
    QPushButton* Command2;   // "Test" e-mail
    QPushButton* Command3;   // "Work It"
    QPushButton* Command4;   // "Clocked in"
    QPushButton* Command5;   // "Get Discount"
    QPushButton* Command6;   // "Get Sales"
    QPushButton* Command7;   // "Log File"
    QPushButton* Command8;   // "Empty Log File"
    QPushButton* Command9;   // "INI File"
    QPushButton* Command10;  // "Delivery": where the reports go
    QPushButton* SSCommand1; // "Done"
    QPushButton* SSCommand3; // "Edit"
    // Says why the gateway in Text3, or a carrier of the carrier file, cannot be used.
    QLabel* GatewayWarning;

    TextSettings settingsFromControls() const;
    // The result of the last test send; empty reason when it went out.
    MailResult lastTestResult() const { return lastTest_; }

Q_SIGNALS:
    // "Done" saved or removed the settings file: the main window recolours its
    // "Settings" button and shows itself.
    void settingsDone(bool featureOn);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout(bool defaultServer);
    void loadTextSettingsFile();
    void loadCarrierFile();
    void carrierChosen(int index);
    void carrierTyped(const QString& text);
    void warnOfClosedGateway();
    void showGatewayProblems();
    void testText();
    void testEmail();
    void sendTest(const QString& to);
    void clockedIn();
    void openInEditor(const QString& windowsPath);
    void emptyLogFile();
    void done();
    QString logPath() const;

    Platform& platform_;
    ProgramValues& values_;
    const Clock& clock_;
    Prompts& prompts_;
    Email2Factory& mail_;
    MailResult lastTest_;
    QStringList refusedCarriers_;        // carriers of the file left out for their gateway
    bool selectNumberOnRelease_ = false; // a click into the placeholder number selects it
};

} // namespace tillora
