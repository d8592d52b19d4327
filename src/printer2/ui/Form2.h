#pragma once

#include "KitchenSchedule.h"
#include "Printer2Files.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace tillora {

class Clock;
class Platform;
class Prompts;
class Autostart;
class TrayIcon;
struct ProgramValues;

// The kitchen printer 2 window: the weekly on/off lists, the printer status and the
// schedule timer. It lives in the notification area; a click on its icon shows it.
class Form2 : public QWidget {
    Q_OBJECT

public:
    static constexpr int TimerInterval = 50000; // ms between ticks
    static constexpr int TicksPerCheck = 5;

    Form2(Platform& platform, Clock& clock, Prompts& prompts, ProgramValues& values,
          QWidget* parent = nullptr);
    // Takes the icon out of the notification area.
    ~Form2() override;

    // Where the desktop has no notification area the window is minimised instead of
    // hidden, so it stays reachable. Decided by the desktop unless set before Form_Load.
    void setNotificationAreaAvailable(bool available) { notificationArea_ = available; }

    // Fills the lists, reads the settings and the schedule, shows the day and the status,
    // adds the icon and settles into the notification area; starts the schedule timer.
    void Form_Load();

    void FillTimeLists();
    void ReadBannerSettings();
    void LoadSchedule();
    // False when the schedule could not be written; the operator has been told.
    bool SaveSchedule();
    void SwitchOn();
    void SwitchOff();
    void ShowStatus();
    void ShowToday();
    // One tick of `Timer1`; every fifth tick checks the schedule.
    void Timer1_Tick();

    void AddIcon();    // "Add an Icon"
    void DeleteIcon(); // "Delete Icon"
    void Done();       // save, back into the notification area
    void End();        // save, remove the icon, end the program
    // A mouse message of the notification-area icon (513-518 show the window).
    void IconMessage(int messageCode);
    // Brings the window into view (a click on the icon, a later start of the program).
    void showWindow();

    // Shows the "Start with the desktop session" box, which switches `autostart` (it must
    // outlive the window).
    void wireAutostart(Autostart& autostart);

    KitchenSchedule schedule() const; // the lists' texts, row by row
    int tickCount() const { return TickCount_; }
    int barWidthTwips() const { return barWidthTwips_; }
    TrayIcon* trayIcon() const { return trayIcon_; }
    const Printer2Files& files() const { return files_; }

    std::array<QLabel*, 3> SSPanel1{};  // top banner, status heading, bottom banner
    std::array<QLabel*, 2> SSPanel2{};  // column headings
    QLabel* SSPanel3 = nullptr;         // printer status
    QLabel* SSPanel4 = nullptr;         // today
    QLabel* Label2 = nullptr;           // today's weekday name
    std::array<QLabel*, 7> Label1{};    // Monday ... Sunday
    std::array<QComboBox*, 7> Combo1{}; // on-times
    std::array<QComboBox*, 7> Combo2{}; // off-times
    QPushButton* SSCommand3 = nullptr;  // "Turn On"
    QPushButton* SSCommand4 = nullptr;  // "Turn Off"
    QPushButton* SSCommand1 = nullptr;  // "Done"
    QPushButton* SSCommand2 = nullptr;  // "End"
    QPushButton* Command1 = nullptr;    // "Add an Icon"
    QPushButton* Command2 = nullptr;    // "Delete Icon"
    QFrame* Shape1 = nullptr;           // tick progress frame
    QFrame* Shape2 = nullptr;           // tick progress bar
    QLabel* Image1 = nullptr;
    QTimer* Timer1 = nullptr;
    QCheckBox* StartWithSession = nullptr; // only where the session has autostart entries

Q_SIGNALS:
    // "End" was pressed: the program ends.
    void endRequested();

protected:
    // Closing the window keeps the program resident, as "Done" does.
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void wireEvents();
    void settleIntoNotificationArea();
    void setBarWidth(int twips);
    void setStatusPanel(bool on);

    Clock& clock_;
    Prompts& prompts_;
    Printer2Files files_;
    TrayIcon* trayIcon_ = nullptr;
    bool notificationArea_;
    bool ending_ = false; // "End" was pressed: the window's close is the program's end
    int TickCount_ = 0;
    int barWidthTwips_ = 15;
};

} // namespace tillora
