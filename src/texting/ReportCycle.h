#pragma once

#include "Notifier.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <chrono>

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

// Work_it: one report cycle of the texter window.
class ReportCycle {
public:
    struct Timing {
        std::chrono::milliseconds salesWatchdog{10000};
        std::chrono::milliseconds discountWatchdog{5000};
    };

    ReportCycle(TexterView& texter, Notifier& notifier, ReportStatusPanel& panel,
                Platform& platform, const Clock& clock, const ProgramValues& values);

    void setTiming(Timing timing) { timing_ = timing; }

    void Work_it();

private:
    void runReports(const QDateTime& moment);
    void sendReports(const QDateTime& moment, const QString& number, const QList<Channel>& channels,
                     QStringList& failures);
    void showOutcome(const QStringList& failures);
    // Starts a total, waits for its label (the watchdog writes "FAILED" when the time is up).
    QString awaitTotal(void (TexterView::*run)(), QString (TexterView::*label)() const,
                       void (TexterView::*setLabel)(const QString&),
                       std::chrono::milliseconds watchdog);
    // Sends one report on `channels`; each channel that did not take it adds a failure.
    void sendReport(const QString& name, const QString& subject, const QString& body,
                    const QList<Channel>& channels, QStringList& failures);
    void writeLog(const QString& line);

    TexterView& texter_;
    Notifier& notifier_;
    ReportStatusPanel& panel_;
    Platform& platform_;
    const Clock& clock_;
    const ProgramValues& values_;
    Timing timing_;
};

} // namespace tillora
