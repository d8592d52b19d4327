#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

namespace tillora {

class Clock;
class ReportStatusPanel;
class TexterView;

// Loads the texter window hidden when it is not loaded and gives access to its controls.
class TexterHost {
public:
    virtual ~TexterHost() = default;
    virtual TexterView& loadHidden() = 0;
    // A report cycle is under way ("Work It" or an earlier hour's cycle).
    virtual bool cycleRunning() const = 0;
};

// Runs after each scheduler tick that starts no backup: at a full hour inside the report
// window, with texting switched on, it starts the report cycle, which runs on by itself.
// One cycle an hour (the hour is remembered, so a second tick in the same minute sends
// nothing), and none while another cycle is under way.
class HourlyReportCheck {
public:
    using CycleRunner = std::function<void(TexterView&)>;

    HourlyReportCheck(TexterHost& host, ReportStatusPanel& panel, const Clock& clock,
                      CycleRunner runCycle);

    // `now` is the tick's "HH:MM ampm" text. Returns true when a cycle started.
    bool run(const QString& now);

private:
    TexterHost& host_;
    ReportStatusPanel& panel_;
    const Clock& clock_;
    CycleRunner runCycle_;
    QDateTime lastCycleHour_; // a second tick in the same "00" minute sends nothing
};

} // namespace tillora
