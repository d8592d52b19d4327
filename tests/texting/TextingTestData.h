#pragma once

// Records of the point-of-sale and time-clock files, built the way those products write
// them, and a status line that records what it shows, for the texting tests.
#include "FixedRecord.h"
#include "ReportCycle.h"
#include "TimeClockFiles.h"

#include <QByteArray>
#include <QString>

namespace tillora::test {

// A tender record: fourteen values, the third the amount.
inline QByteArray tenderRecord(const QByteArray& amount) {
    return "\"T1\",\"CASH\"," + amount + ",1,\"12/07/2026\",\"15:00\",0,0,0,0,0,\"A\",\"B\",7\r\n";
}

// A clock state or timesheet record.
inline QByteArray clockRecord(const QString& employee, const QString& state,
                              const QString& timeIn = QStringLiteral("08:00"),
                              const QString& extra = QString()) {
    FixedRecord r(clockrecord::Length);
    r.set(clockrecord::State, state);
    r.set(clockrecord::TimeIn, timeIn);
    r.set(clockrecord::Employee, employee);
    if (!extra.isEmpty()) {
        r.set(clockrecord::Field9, extra);
        r.set(clockrecord::Field10, extra);
        r.set(clockrecord::Field11, extra);
    }
    return r.bytes();
}

inline QByteArray employeeRecord(const QString& number, const QString& name) {
    FixedRecord r(employeerecord::Length);
    r.set(employeerecord::Number, number);
    r.set(employeerecord::Name, name);
    return r.bytes();
}

// Records what the report cycle shows on the main window's status line.
class RecordingStatusPanel final : public ReportStatusPanel {
public:
    void showReportStatus(const QString& text, unsigned int textColour, int style) override {
        caption = text;
        colour = textColour;
        panelStyle = style;
    }
    void setReportCaption(const QString& text) override { caption = text; }
    void showMainWindow() override { mainShown = true; }
    QString caption;
    unsigned int colour = 0;
    int panelStyle = -1;
    bool mainShown = false;
};

} // namespace tillora::test
