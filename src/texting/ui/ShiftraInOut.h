#pragma once

#include "TimeClockFiles.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tillora {

class Clock;
class Platform;
class Prompts;
struct ProgramValues;

// "Employees Clocked In": the employees the time clock has clocked in, read when the
// window loads, and a way to clock one out.
class ShiftraInOut : public QWidget {
    Q_OBJECT

public:
    ShiftraInOut(Platform& platform, ProgramValues& values, const Clock& clock, Prompts& prompts,
                 QWidget* parent = nullptr);

    QTreeWidget* MList1;     // Time, Employee, ID; the employee number as the row's key
    QListWidget* List1;      // "|" + the 30-character name, one per clocked-in employee
    QLabel* Label7;          // the time the window was loaded, "HH:MM"
    QLabel* Label1;          // the selected employee number
    QPushButton* SSCommand3; // "Clock Out"
    QPushButton* SSCommand1; // "&Done"
    QPushButton* SSCommand2;

    QString SelectedEmployee;

    void LoadClockedIn();
    // Why the last load found no list (a missing time clock folder); empty when it did.
    QString loadFailure() const { return loadFailure_; }
    // The entries of List1, in order.
    QStringList clockedInEntries() const;

    static constexpr int KeyRole = Qt::UserRole;

private:
    void rowClicked(QTreeWidgetItem* item);
    void clockOutClicked();

    Prompts& prompts_;
    TimeClockFiles files_;
    QString loadFailure_;
};

} // namespace tillora
