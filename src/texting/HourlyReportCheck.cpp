#include "HourlyReportCheck.h"

#include "Clock.h"
#include "ReportCycle.h"
#include "ReportTexts.h"
#include "Waiting.h"

#include <QCoreApplication>

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
    QCoreApplication::processEvents();
    if (!texter.featureOn())
        return false;
    if (!insideReportWindow(texter.firstReportTime(), texter.lastReportTime(), clock_.now().time()))
        return false;
    panel_.setReportCaption(report::SendingCaption);
    runCycle_(texter);
    QCoreApplication::processEvents();
    pause(pause_);
    return true;
}

} // namespace tillora
