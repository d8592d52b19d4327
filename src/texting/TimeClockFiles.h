#pragma once

#include "FixedRecord.h"

#include <QList>
#include <QString>

#include <optional>

namespace tillora {

class Clock;
class Platform;
struct ProgramValues;

// The time-clock product's records. Every field is fixed-width text.
namespace clockrecord {
constexpr int Length = 100;
constexpr FieldSpec Date{0, 10};
constexpr FieldSpec State{10, 1}; // "1" clocked in
constexpr FieldSpec TimeIn{11, 5};
constexpr FieldSpec TimeOut{16, 5};
constexpr FieldSpec Field5{21, 10};
constexpr FieldSpec Field6{31, 3};
constexpr FieldSpec Field7{34, 10};
constexpr FieldSpec Employee{44, 4};
constexpr FieldSpec Field9{48, 15};
constexpr FieldSpec Field10{63, 15};
constexpr FieldSpec Field11{78, 22};
} // namespace clockrecord

namespace employeerecord {
constexpr int Length = 1000;
constexpr FieldSpec Number{0, 20};
constexpr FieldSpec Name{40, 30};
} // namespace employeerecord

// One clocked-in employee as the state file lists them.
struct ClockedInEmployee {
    QString timeIn;   // as stored, "HH:MM"
    QString name;     // the 30-character name field as stored, blanks included
    QString employee; // the employee number, trimmed
};

struct ClockedInList {
    QList<ClockedInEmployee> employees; // in file order
    QString failure;                    // why the list could not be read; empty when it was
};

struct ClockOutResult {
    bool ok = false;
    QString failure;
};

// Blank rows the clocked-in grid gets after `rows` employees: it is filled up to 15 rows
// when it holds 13 or fewer.
int blankRowsAfter(int rows);

// The time-clock files under ShiftraDIR + "Data\". Each operation opens its file, locks
// it as a whole (the time-clock product uses the same files), and closes it again.
class TimeClockFiles {
public:
    TimeClockFiles(Platform& platform, const ProgramValues& values, const Clock& clock);

    // The employees whose state record says clocked in, in file order.
    ClockedInList LoadClockedIn();
    // The stored 30-character name of the first employee record whose number has the
    // same numeric value; empty when there is none.
    QString LookupEmployeeName(const QString& employee);
    // Appends a clock-out record to the employee's timesheet and writes the state record.
    // The clock-in time comes from the employee's state record; `timeIn`, the time the
    // window shows, is used only when that record has none.
    ClockOutResult ClockOutSelected(const QString& employee, const QString& timeIn);

    QString dataFolder() const; // Windows form, with trailing backslash

private:
    QString filePath(const QString& name) const;
    bool dataFolderExists() const;
    QString missingFolderMessage() const;

    Platform& platform_;
    const ProgramValues& values_;
    const Clock& clock_;
};

} // namespace tillora
