#pragma once

#include "Notifier.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>

namespace tillora {

class Clock;
class Platform;
struct ProgramValues;
struct TotalResult;

// What the report cycle reads from and writes to the texter window: its controls are
// the live text settings.
class TexterView {
public:
    virtual ~TexterView() = default;

    virtual bool featureOn() const = 0;          // Check1
    virtual QString mobileNumber() const = 0;    // Text1
    virtual QString gatewayTemplate() const = 0; // Text3
    virtual QString firstReportTime() const = 0; // Combo1
    virtual QString lastReportTime() const = 0;  // Combo2
    virtual bool salesReport() const = 0;        // Check2
    virtual bool discountReport() const = 0;     // Check3
    virtual bool clockedInReport() const = 0;    // Check5

    virtual QString salesLabel() const = 0; // Label2
    virtual void setSalesLabel(const QString& text) = 0;
    virtual QString discountLabel() const = 0; // Label4
    virtual void setDiscountLabel(const QString& text) = 0;
    virtual void setClockedInLabel(const QString& text) = 0; // Label5
    // MList1: adds a send-history row; the list is cleared once it holds over 2000.
    virtual void addHistoryRow(const QString& row) = 0;

    // GetSalesTotal and GetDiscountTotal: compute and write their label.
    virtual void runSalesTotal() = 0;
    virtual void runDiscountTotal() = 0;
    // Loads the clocked-in window afresh and gives its list: "|" + 30-character name each.
    virtual QStringList reloadClockedIn() = 0;
    // Unloads the texter window at the end of the cycle.
    virtual void closeWindow() = 0;
};

// The main window's side: its status line SSPanel6 and its show action.
class ReportStatusPanel {
public:
    virtual ~ReportStatusPanel() = default;
    // Caption, text colour (a colour value) and emphasis (the panel style: 3 failed, 0 done).
    virtual void showReportStatus(const QString& caption, unsigned int textColour, int style) = 0;
    // Only the caption, as the hourly check writes it before a cycle.
    virtual void setReportCaption(const QString& caption) = 0;
    virtual void showMainWindow() = 0;
};

// Work_it: one report cycle of the texter window, as a short sequence on the event loop:
// each chosen report waits for its total (a watchdog timer marks a total that does not
// come as "FAILED"), is sent off the window's thread, and the next step starts when the
// send has ended. The outcome is shown once every report is out; `finished` follows.
class ReportCycle : public QObject {
    Q_OBJECT
public:
    struct Timing {
        std::chrono::milliseconds salesWatchdog{10000};
        std::chrono::milliseconds discountWatchdog{5000};
    };

    ReportCycle(TexterView& texter, Notifier& notifier, ReportStatusPanel& panel,
                Platform& platform, const Clock& clock, const ProgramValues& values,
                QObject* parent = nullptr);

    void setTiming(Timing timing) { timing_ = timing; }

    // Starts the cycle once; it runs on after this returns.
    void Work_it();
    bool running() const { return step_ != Step::Idle && step_ != Step::Done; }

Q_SIGNALS:
    // The outcome is shown and the texter window closed.
    void finished();

private:
    enum class Step { Idle, Sales, Discount, ClockedIn, Outcome, Done };

    void runReports();
    // Runs `step` when it is chosen, else the one after it.
    void next(Step step);
    // Starts a total; `then` gets its label once written, or "FAILED" from the watchdog.
    void awaitTotal(void (TexterView::*run)(), QString (TexterView::*label)() const,
                    void (TexterView::*setLabel)(const QString&),
                    std::chrono::milliseconds watchdog, std::function<void(QString)> then);
    // Sends one report on the cycle's channels off this thread; each channel that did not
    // take it adds a failure, then `then` runs.
    void sendReport(const QString& name, const QString& subject, const QString& body,
                    std::function<void()> then);
    void showOutcome();
    void finish();
    void writeLog(const QString& line);

    TexterView& texter_;
    Notifier& notifier_;
    ReportStatusPanel& panel_;
    Platform& platform_;
    const Clock& clock_;
    const ProgramValues& values_;
    Timing timing_;

    // What the cycle works with, read as it starts.
    Step step_ = Step::Idle;
    QDateTime moment_;
    QString number_;
    QList<Channel> channels_;
    QStringList failures_;
    QTimer watchdog_; // Timer1 of the texter window
    QMetaObject::Connection watchdogAction_;
};

} // namespace tillora
