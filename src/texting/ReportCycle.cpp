#include "ReportCycle.h"

#include "Clock.h"
#include "CodePage.h"
#include "Colors.h"
#include "FileSave.h"
#include "MobileNumber.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "ReportTexts.h"
#include "Waiting.h"

#include <QCoreApplication>
#include <QTimer>

namespace tillora {

namespace {
constexpr int kFailedStyle = 3;
constexpr int kDoneStyle = 0;
const QString kFailed = QStringLiteral("FAILED");
} // namespace

ReportCycle::ReportCycle(TexterView& texter, MailOut& mail, ReportStatusPanel& panel,
                         Platform& platform, const Clock& clock, const ProgramValues& values)
    : texter_(texter)
    , mail_(mail)
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

void ReportCycle::sendReport(const QString& name, const QString& to,
                             const std::optional<QString>& refusal, const QString& subject,
                             const QString& body, QStringList& failures) {
    if (refusal) {
        failures.append(name + QStringLiteral(" report: ") + *refusal);
        return;
    }
    const MailOutcome outcome = mail_.send(to, subject, body);
    QCoreApplication::processEvents();
    if (!outcome.sent)
        failures.append(name + QStringLiteral(" report: ") + outcome.reason);
}

void ReportCycle::writeLog(const QString& line) {
    const QString log = platform_.nativePath(values_.RemoteDIR + QStringLiteral("TxtMsg.log"));
    appendToFile(log, toCodePage(line));
}

void ReportCycle::Work_it() {
    const QDateTime moment = clock_.now();
    const QString date = report::reportDate(moment);
    const QString time = report::reportTime(moment);

    if (texter_.featureOn()) {
        const QString number = texter_.mobileNumber();
        if (checkMobileNumber(number) != NumberCheck::Ok) {
            panel_.showReportStatus(report::refusedCaption(number), colour::Red, kFailedStyle);
        } else {
            const QString gateway = texter_.gatewayTemplate();
            const QString to = mobileAddress(number, gateway);
            const std::optional<QString> refusal = gatewayProblem(gateway);
            QStringList failures;
            if (texter_.salesReport()) {
                const QString sales =
                    awaitTotal(&TexterView::runSalesTotal, &TexterView::salesLabel,
                               &TexterView::setSalesLabel, timing_.salesWatchdog);
                sendReport(QStringLiteral("sales"), to, refusal, report::SalesSubject,
                           report::salesBody(values_.CompanyName, sales, date, time), failures);
                texter_.addHistoryRow(report::historyRow(clock_.now(), sales, number));
            }
            if (texter_.discountReport()) {
                const QString discounts =
                    awaitTotal(&TexterView::runDiscountTotal, &TexterView::discountLabel,
                               &TexterView::setDiscountLabel, timing_.discountWatchdog);
                sendReport(QStringLiteral("discount"), to, refusal, report::DiscountSubject,
                           report::discountBody(values_.CompanyName, discounts, date, time),
                           failures);
            }
            if (texter_.clockedInReport()) {
                texter_.setClockedInLabel(QString());
                const QString names = report::nameList(texter_.reloadClockedIn());
                QCoreApplication::processEvents();
                texter_.setClockedInLabel(names);
                sendReport(QStringLiteral("clocked-in"), to, refusal, report::ClockedInSubject,
                           report::clockedInBody(values_.CompanyName, names, date, time), failures);
            }

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
    }
    panel_.showMainWindow();
    texter_.closeWindow();
}

} // namespace tillora
