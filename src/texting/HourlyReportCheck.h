#pragma once

#include <QDateTime>
#include <QString>

#include <chrono>
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
// window, with texting switched on, it runs the report cycle and then pauses. One cycle
// an hour, and none while another cycle is under way.
class HourlyReportCheck {
public:
    using CycleRunner = std::function<void(TexterView&)>;

    HourlyReportCheck(TexterHost& host, ReportStatusPanel& panel, const Clock& clock,
                      CycleRunner runCycle);

    void setPauseAfterReport(std::chrono::milliseconds pause) { pause_ = pause; }

    // `now` is the tick's "HH:MM ampm" text. Returns true when a cycle ran.
    bool run(const QString& now);

private:
    TexterHost& host_;
    ReportStatusPanel& panel_;
    const Clock& clock_;
    CycleRunner runCycle_;
    std::chrono::milliseconds pause_{15000};
    QDateTime lastCycleHour_; // a second tick in the same "00" minute sends nothing
};

} // namespace tillora
