#include "HourlyReportCheck.h"

#include "Clock.h"
#include "ReportCycle.h"
#include "ReportTexts.h"

namespace tillora {

HourlyReportCheck::HourlyReportCheck(TexterHost& host, ReportStatusPanel& panel, const Clock& clock,
                                     CycleRunner runCycle)
    : host_(host)
    , panel_(panel)
    , clock_(clock)
    , runCycle_(std::move(runCycle)) {
}

bool HourlyReportCheck::run(const QString& now) {
    if (!isFullHour(now))
        return false;
    TexterView& texter = host_.loadHidden();
    if (!texter.featureOn())
        return false;
    const QDateTime moment = clock_.now();
    if (!insideReportWindow(texter.firstReportTime(), texter.lastReportTime(), moment.time()))
        return false;
    const QDateTime hour(moment.date(), QTime(moment.time().hour(), 0));
    if (host_.cycleRunning() || hour == lastCycleHour_)
        return false;
    lastCycleHour_ = hour;
    panel_.setReportCaption(report::SendingCaption);
    runCycle_(texter);
    return true;
}

} // namespace tillora
