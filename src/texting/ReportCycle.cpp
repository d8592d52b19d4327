#include "ReportCycle.h"

#include "Clock.h"
#include "CodePage.h"
#include "Colors.h"
#include "FileSave.h"
#include "MobileNumber.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "ReportTexts.h"
#include "SendInBackground.h"
#include "Waiting.h"

#include <QCoreApplication>
#include <QTimer>

namespace tillora {

namespace {
constexpr int kFailedStyle = 3;
constexpr int kDoneStyle = 0;
const QString kFailed = QStringLiteral("FAILED");
} // namespace

ReportCycle::ReportCycle(TexterView& texter, Notifier& notifier, ReportStatusPanel& panel,
                         Platform& platform, const Clock& clock, const ProgramValues& values)
    : texter_(texter)
    , notifier_(notifier)
    , panel_(panel)
    , platform_(platform)
    , clock_(clock)
    , values_(values) {
}

QString ReportCycle::awaitTotal(void (TexterView::*run)(), QString (TexterView::*label)() const,
                                void (TexterView::*setLabel)(const QString&),
                                std::chrono::milliseconds watchdog) {
    // Timer1 of the texter window: its first tick marks the awaited total as failed.
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if ((texter_.*label)().isEmpty())
            (texter_.*setLabel)(kFailed);
    });
    timer.start(watchdog);
    (texter_.*setLabel)(QString());
    (texter_.*run)();
    waitUntil([&] { return !(texter_.*label)().isEmpty(); }, watchdog + std::chrono::seconds(1));
    timer.stop();
    if ((texter_.*label)().isEmpty())
        (texter_.*setLabel)(kFailed);
    return (texter_.*label)();
}

void ReportCycle::sendReport(const QString& name, const QString& subject, const QString& body,
                             const QList<Channel>& channels, QStringList& failures) {
    const QString report = name + QStringLiteral(" report: ");
    if (channels.isEmpty()) {
        // Nothing would reach the owner: that is no success.
        failures.append(report + QStringLiteral("no delivery channel is switched on"));
        return;
    }
    const QList<ChannelOutcome> outcomes =
        sendWhileProcessingEvents(notifier_, {subject, body, false}, channels);
    QCoreApplication::processEvents();
    for (const ChannelOutcome& outcome : outcomes) {
        if (!outcome.sent)
            failures.append(channelName(outcome.channel) + QStringLiteral(": ") + report +
                            outcome.reason);
    }
}

void ReportCycle::writeLog(const QString& line) {
    const QString log = platform_.nativePath(values_.RemoteDIR + QStringLiteral("TxtMsg.log"));
    // The log is where the cycle tells its failures; when it cannot be written, the
    // program's own log gets the line.
    if (const SaveResult saved = appendToFile(log, toCodePage(line)); !saved)
        qWarning("%s cannot be written (%s): %s", qUtf8Printable(log), qUtf8Printable(saved.reason),
                 qUtf8Printable(line));
}

void ReportCycle::Work_it() {
    if (texter_.featureOn())
        runReports(clock_.now());
    panel_.showMainWindow();
    texter_.closeWindow();
}

void ReportCycle::runReports(const QDateTime& moment) {
    const QString number = texter_.mobileNumber();
    QList<Channel> channels = notifier_.enabledChannels();
    QStringList failures;
    // The number matters to the carrier gateway only: the other channels go on without it.
    if (channels.contains(Channel::Gateway) && checkMobileNumber(number) != NumberCheck::Ok) {
        channels.removeAll(Channel::Gateway);
        if (channels.isEmpty()) {
            panel_.showReportStatus(report::refusedCaption(number), colour::Red, kFailedStyle);
            return;
        }
        failures.append(channelName(Channel::Gateway) + QStringLiteral(": You cannot send to ") +
                        number);
    }
    sendReports(moment, number, channels, failures);
    showOutcome(failures);
}

void ReportCycle::sendReports(const QDateTime& moment, const QString& number,
                              const QList<Channel>& channels, QStringList& failures) {
    const QString date = report::reportDate(moment);
    const QString time = report::reportTime(moment);
    if (texter_.salesReport()) {
        const QString sales = awaitTotal(&TexterView::runSalesTotal, &TexterView::salesLabel,
                                         &TexterView::setSalesLabel, timing_.salesWatchdog);
        sendReport(QStringLiteral("sales"), report::SalesSubject,
                   report::salesBody(values_.CompanyName, sales, date, time), channels, failures);
        texter_.addHistoryRow(report::historyRow(clock_.now(), sales, number));
    }
    if (texter_.discountReport()) {
        const QString discounts =
            awaitTotal(&TexterView::runDiscountTotal, &TexterView::discountLabel,
                       &TexterView::setDiscountLabel, timing_.discountWatchdog);
        sendReport(QStringLiteral("discount"), report::DiscountSubject,
                   report::discountBody(values_.CompanyName, discounts, date, time), channels,
                   failures);
    }
    if (texter_.clockedInReport()) {
        texter_.setClockedInLabel(QString());
        const QString names = report::nameList(texter_.reloadClockedIn());
        QCoreApplication::processEvents();
        texter_.setClockedInLabel(names);
        sendReport(QStringLiteral("clocked-in"), report::ClockedInSubject,
                   report::clockedInBody(values_.CompanyName, names, date, time), channels,
                   failures);
    }
}

// The log line and the status panel: sent only when every channel took every report.
void ReportCycle::showOutcome(const QStringList& failures) {
    const QDateTime logMoment = clock_.now();
    const QString logDate = report::logDate(logMoment);
    const QString logTime = report::logTime(logMoment);
    if (failures.isEmpty()) {
        writeLog(report::successLogLine(logDate, logTime));
        panel_.showReportStatus(report::doneCaption(logDate, logTime), colour::ButtonText,
                                kDoneStyle);
    } else {
        const QString reasons = failures.join(QStringLiteral("; "));
        writeLog(report::failureLogLine(logDate, logTime, reasons));
        panel_.showReportStatus(report::failedCaption(reasons), colour::Red, kFailedStyle);
    }
}

} // namespace tillora
