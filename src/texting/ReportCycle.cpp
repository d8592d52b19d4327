#include "ReportCycle.h"

#include "AsyncTask.h"
#include "Clock.h"
#include "CodePage.h"
#include "Colors.h"
#include "FileSave.h"
#include "MobileNumber.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "ReportTexts.h"

namespace tillora {

namespace {
constexpr int kFailedStyle = 3;
constexpr int kDoneStyle = 0;
const QString kFailed = QStringLiteral("FAILED");
} // namespace

ReportCycle::ReportCycle(TexterView& texter, Notifier& notifier, ReportStatusPanel& panel,
                         Platform& platform, const Clock& clock, const ProgramValues& values,
                         QObject* parent)
    : QObject(parent)
    , texter_(texter)
    , notifier_(notifier)
    , panel_(panel)
    , platform_(platform)
    , clock_(clock)
    , values_(values) {
    watchdog_.setSingleShot(true);
}

void ReportCycle::Work_it() {
    if (step_ != Step::Idle)
        return;
    if (!texter_.featureOn()) {
        finish();
        return;
    }
    moment_ = clock_.now();
    runReports();
}

void ReportCycle::runReports() {
    number_ = texter_.mobileNumber();
    channels_ = notifier_.enabledChannels();
    // The number matters to the carrier gateway only: the other channels go on without it.
    if (channels_.contains(Channel::Gateway) && checkMobileNumber(number_) != NumberCheck::Ok) {
        channels_.removeAll(Channel::Gateway);
        if (channels_.isEmpty()) {
            panel_.showReportStatus(report::refusedCaption(number_), colour::Red, kFailedStyle);
            finish();
            return;
        }
        failures_.append(channelName(Channel::Gateway) + QStringLiteral(": ") +
                         refusedNumberReason(number_));
    }
    next(Step::Sales);
}

void ReportCycle::next(Step step) {
    step_ = step;
    const QString date = report::reportDate(moment_);
    const QString time = report::reportTime(moment_);
    switch (step) {
    case Step::Sales:
        if (!texter_.salesReport())
            return next(Step::Discount);
        awaitTotal(&TexterView::runSalesTotal, &TexterView::salesLabel, &TexterView::setSalesLabel,
                   timing_.salesWatchdog, [this, date, time](const QString& sales) {
                       sendReport(QStringLiteral("sales"), report::SalesSubject,
                                  report::salesBody(values_.CompanyName, sales, date, time),
                                  [this, sales] {
                                      texter_.addHistoryRow(
                                          report::historyRow(clock_.now(), sales, number_));
                                      next(Step::Discount);
                                  });
                   });
        return;
    case Step::Discount:
        if (!texter_.discountReport())
            return next(Step::ClockedIn);
        awaitTotal(&TexterView::runDiscountTotal, &TexterView::discountLabel,
                   &TexterView::setDiscountLabel, timing_.discountWatchdog,
                   [this, date, time](const QString& discounts) {
                       sendReport(QStringLiteral("discount"), report::DiscountSubject,
                                  report::discountBody(values_.CompanyName, discounts, date, time),
                                  [this] { next(Step::ClockedIn); });
                   });
        return;
    case Step::ClockedIn: {
        if (!texter_.clockedInReport())
            return next(Step::Outcome);
        texter_.setClockedInLabel(QString());
        const QString names = report::nameList(texter_.reloadClockedIn());
        texter_.setClockedInLabel(names);
        sendReport(QStringLiteral("clocked-in"), report::ClockedInSubject,
                   report::clockedInBody(values_.CompanyName, names, date, time),
                   [this] { next(Step::Outcome); });
        return;
    }
    case Step::Outcome:
        showOutcome();
        finish();
        return;
    case Step::Idle:
    case Step::Done:
        return;
    }
}

void ReportCycle::awaitTotal(void (TexterView::*run)(), QString (TexterView::*label)() const,
                             void (TexterView::*setLabel)(const QString&),
                             std::chrono::milliseconds watchdog,
                             std::function<void(QString)> then) {
    (texter_.*setLabel)(QString());
    (texter_.*run)();
    if (const QString total = (texter_.*label)(); !total.isEmpty()) {
        then(total);
        return;
    }
    // Timer1 of the texter window: its tick marks the awaited total as failed.
    disconnect(watchdogAction_);
    watchdogAction_ = connect(&watchdog_, &QTimer::timeout, this,
                              [this, label, setLabel, then = std::move(then)] {
                                  if ((texter_.*label)().isEmpty())
                                      (texter_.*setLabel)(kFailed);
                                  then((texter_.*label)());
                              });
    watchdog_.start(watchdog);
}

void ReportCycle::sendReport(const QString& name, const QString& subject, const QString& body,
                             std::function<void()> then) {
    const QString report = name + QStringLiteral(" report: ");
    if (channels_.isEmpty()) {
        // Nothing would reach the owner: that is no success.
        failures_.append(report + QStringLiteral("no delivery channel is switched on"));
        then();
        return;
    }
    // The notifier outlives the cycle and waits for its sends before it goes.
    Notifier& notifier = notifier_;
    runInBackground(
        this,
        [&notifier, message = NotifyMessage{subject, body, false}, channels = channels_] {
            return notifier.send(message, channels);
        },
        [this, report, then = std::move(then)](const QList<ChannelOutcome>& outcomes) {
            for (const ChannelOutcome& outcome : outcomes) {
                if (!outcome.sent)
                    failures_.append(channelName(outcome.channel) + QStringLiteral(": ") + report +
                                     outcome.reason);
            }
            then();
        });
}

void ReportCycle::writeLog(const QString& line) {
    const QString log = platform_.nativePath(values_.RemoteDIR + QStringLiteral("TxtMsg.log"));
    // The log is where the cycle tells its failures; when it cannot be written, the
    // program's own log gets the line.
    if (const SaveResult saved = appendToFile(log, toCodePage(line)); !saved)
        qWarning("%s cannot be written (%s): %s", qUtf8Printable(log), qUtf8Printable(saved.reason),
                 qUtf8Printable(line));
}

// The log line and the status panel: sent only when every channel took every report.
void ReportCycle::showOutcome() {
    const QDateTime logMoment = clock_.now();
    const QString logDate = report::logDate(logMoment);
    const QString logTime = report::logTime(logMoment);
    if (failures_.isEmpty()) {
        writeLog(report::successLogLine(logDate, logTime));
        panel_.showReportStatus(report::doneCaption(logDate, logTime), colour::ButtonText,
                                kDoneStyle);
    } else {
        const QString reasons = failures_.join(QStringLiteral("; "));
        writeLog(report::failureLogLine(logDate, logTime, reasons));
        panel_.showReportStatus(report::failedCaption(reasons), colour::Red, kFailedStyle);
    }
}

void ReportCycle::finish() {
    step_ = Step::Done;
    panel_.showMainWindow();
    texter_.closeWindow();
    Q_EMIT finished();
}

} // namespace tillora
