#include "TimeClockFiles.h"

#include "Clock.h"
#include "DatePictures.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "QuotedCsv.h"

#include <QFile>
#include <QFileInfo>

namespace tillora {

namespace {

const QString stateFile = QStringLiteral("TSinout.dat");
const QString employeeFile = QStringLiteral("Zemployee.dat");

bool sameEmployee(const QString& a, const QString& b) {
    return leadingNumber(a) == leadingNumber(b);
}

QString inUse(const QString& path) {
    return QStringLiteral("%1 is in use by another program; try again in a moment.").arg(path);
}

// The first state record of the employee and its number, read under the file's lock.
struct StateMatch {
    int recordNumber = 0; // 0: none
    FixedRecord record{clockrecord::Length};
};

std::optional<StateMatch> findState(Platform& platform, QFile& file, const QString& employee) {
    WholeFileLock lock(platform, file);
    if (!lock.locked())
        return std::nullopt;
    FixedRecordFile records(file, clockrecord::Length);
    StateMatch match;
    for (int n = 1; n <= records.recordCount(); ++n) {
        const auto record = records.read(n);
        if (record && sameEmployee(record->trimmed(clockrecord::Employee), employee)) {
            match.recordNumber = n;
            match.record = *record;
            break;
        }
    }
    return match;
}

} // namespace

int blankRowsAfter(int rows) {
    return rows <= 13 ? 15 - rows : 0;
}

TimeClockFiles::TimeClockFiles(Platform& platform, const ProgramValues& values, const Clock& clock)
    : platform_(platform)
    , values_(values)
    , clock_(clock) {
}

QString TimeClockFiles::dataFolder() const {
    const QString base =
        values_.ShiftraDIR.isEmpty() ? QStringLiteral("c:\\shiftra\\") : values_.ShiftraDIR;
    return base + QStringLiteral("Data\\");
}

QString TimeClockFiles::filePath(const QString& name) const {
    return dataFolder() + name;
}

bool TimeClockFiles::dataFolderExists() const {
    return QFileInfo(platform_.nativePath(dataFolder())).isDir();
}

QString TimeClockFiles::missingFolderMessage() const {
    return QStringLiteral("The time clock folder %1 was not found.").arg(dataFolder());
}

ClockedInList TimeClockFiles::LoadClockedIn() {
    ClockedInList list;
    if (!dataFolderExists()) {
        list.failure = missingFolderMessage();
        return list;
    }
    QFile file(platform_.nativePath(filePath(stateFile)));
    if (!file.open(QIODevice::ReadWrite)) { // creates a missing state file empty
        list.failure = file.errorString();
        return list;
    }
    WholeFileLock lock(platform_, file);
    if (!lock.locked()) {
        list.failure = inUse(filePath(stateFile));
        return list;
    }
    FixedRecordFile records(file, clockrecord::Length);
    for (int n = 1; n <= records.recordCount(); ++n) {
        const auto record = records.read(n);
        if (!record || record->raw(clockrecord::State) != QLatin1String("1"))
            continue;
        const QString employee = record->trimmed(clockrecord::Employee);
        list.employees.append(
            {record->raw(clockrecord::TimeIn), LookupEmployeeName(employee), employee});
    }
    return list;
}

QString TimeClockFiles::LookupEmployeeName(const QString& employee) {
    QFile file(platform_.nativePath(filePath(employeeFile)));
    if (employee.trimmed().isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
    WholeFileLock lock(platform_, file);
    if (!lock.locked())
        return {};
    FixedRecordFile records(file, employeerecord::Length);
    for (int n = 1; n <= records.recordCount(); ++n) {
        const auto record = records.read(n);
        if (record && sameEmployee(record->trimmed(employeerecord::Number), employee))
            return record->raw(employeerecord::Name);
    }
    return {};
}

ClockOutResult TimeClockFiles::ClockOutSelected(const QString& selected, const QString& timeIn) {
    const QString employee = selected.trimmed();
    if (employee.isEmpty())
        return {false, QStringLiteral("No employee is selected.")};
    // The employee field names the timesheet file: a damaged one must not point elsewhere.
    if (employee.contains(u'\\') || employee.contains(u'/') || employee.contains(u':') ||
        employee.startsWith(u'.'))
        return {false, QStringLiteral("The employee number \"%1\" is damaged.").arg(employee)};
    if (!dataFolderExists())
        return {false, missingFolderMessage()};

    const QString statePath = platform_.nativePath(filePath(stateFile));
    std::optional<StateMatch> before;
    {
        QFile state(statePath);
        if (!state.open(QIODevice::ReadWrite))
            return {false, state.errorString()};
        before = findState(platform_, state, employee);
        if (!before)
            return {false, inUse(filePath(stateFile))};
    }

    // The fields the clock-out does not set come from the employee's own state record.
    FixedRecord out = before->record;
    const QDateTime now = clock_.now();
    out.set(clockrecord::Date, formatPicture(now, Picture::NumericDate));
    out.set(clockrecord::State, QStringLiteral("0"));
    // The shift starts when the employee clocked in, as the state record says; the time
    // the window shows stands in only when there is no such record.
    const QString storedIn =
        before->recordNumber > 0 ? before->record.trimmed(clockrecord::TimeIn) : QString();
    out.set(clockrecord::TimeIn, storedIn.isEmpty() ? timeIn : storedIn);
    out.set(clockrecord::TimeOut, formatPicture(now, Picture::Time24));
    out.set(clockrecord::Field5, QStringLiteral("0"));
    out.set(clockrecord::Field6, QStringLiteral("0"));
    out.set(clockrecord::Field7, QStringLiteral("rate"));
    out.set(clockrecord::Employee, employee);

    const QString timesheetName = employee + QStringLiteral("TS.dat");
    {
        QFile timesheet(platform_.nativePath(filePath(timesheetName)));
        if (!timesheet.open(QIODevice::ReadWrite))
            return {false, timesheet.errorString()};
        WholeFileLock lock(platform_, timesheet);
        if (!lock.locked())
            return {false, inUse(filePath(timesheetName))};
        FixedRecordFile records(timesheet, clockrecord::Length);
        if (!records.write(records.recordCount() + 1, out))
            return {false, QStringLiteral("%1 could not be written: %2")
                               .arg(filePath(timesheetName), timesheet.errorString())};
    }

    QFile state(statePath);
    if (!state.open(QIODevice::ReadWrite))
        return {false, state.errorString()};
    WholeFileLock lock(platform_, state);
    if (!lock.locked())
        return {false, inUse(filePath(stateFile))};
    FixedRecordFile records(state, clockrecord::Length);
    // Found again under this lock: the time clock may have changed the file meanwhile.
    int target = records.recordCount() + 1;
    for (int n = 1; n <= records.recordCount(); ++n) {
        const auto record = records.read(n);
        if (record && sameEmployee(record->trimmed(clockrecord::Employee), employee)) {
            target = n;
            for (const FieldSpec field :
                 {clockrecord::Field9, clockrecord::Field10, clockrecord::Field11})
                out.set(field, record->raw(field));
            break;
        }
    }
    if (!records.write(target, out))
        return {false, QStringLiteral("%1 could not be written: %2")
                           .arg(filePath(stateFile), state.errorString())};
    return {true, {}};
}

} // namespace tillora
