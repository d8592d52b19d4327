#pragma once

#include "ChannelNotifier.h"
#include "Email2Factory.h"
#include "HourlyReportCheck.h"
#include "PosTotals.h"
#include "ReportCycle.h"
#include "SalesDaysLog.h"
#include "TexterMailRoute.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace tillora {

class Clock;
class NotifySettings;
class Platform;
class Prompts;
class TLRAtxtMsg;
struct ProgramValues;

// Owns the one texter window of the program: the "Settings" button shows it, the hourly
// check loads it hidden, and the report cycle reads its controls and closes it. Wires the
// texter's tool buttons ("Work It", "Get Sales", "Get Discount", "INI File") and
// "Delivery". Keeps the mail route of the program's notifier up to date: its gateway
// channel needs the texter's number, carrier and mail account.
class TexterWindows : public QObject, public TexterHost {
    Q_OBJECT

public:
    // `mailRoute` and `notifier` outlive this object.
    TexterWindows(Platform& platform, ProgramValues& values, const Clock& clock, Prompts& prompts,
                  ReportStatusPanel& panel, TexterMailRoute& mailRoute, ChannelNotifier& notifier);
    ~TexterWindows() override;

    // The loaded texter window, or null.
    TLRAtxtMsg* texter() const;
    Email2Factory& mail() { return mail_; }
    ChannelNotifier& notifier() { return notifier_; }

    TexterView& loadHidden() override;
    // SSCommand5 "Settings": the texter window, loaded when needed, shown modeless.
    void showSettings();
    // SSCommand6: a mail window with its default fields, shown modeless.
    void showMailWindow();
    // "Delivery": the window "Where reports go".
    void showDeliverySettings();
    // Adds further sections (settings of the same file) to each new delivery window.
    void setDeliverySections(std::function<void(NotifySettings&)> prepare) {
        deliverySections_ = std::move(prepare);
    }
    // Starts Work_it on the loaded texter window (loading it hidden when needed); nothing
    // while another cycle is under way, and "Work It" is disabled for the length of a cycle.
    void Work_it();
    // A report cycle is under way (it waits for totals and sends on the event loop).
    bool cycleRunning() const override { return cycle_ != nullptr; }
    // The program is ending: reports and mail under way give up at once.
    void cancelSends();

    void setReportTiming(ReportCycle::Timing timing) { timing_ = timing; }
    // Gets the totals each report cycle read, once the cycle has ended.
    void setReadingKeeper(std::function<void(const SalesReading&)> keep) {
        keepReading_ = std::move(keep);
    }

Q_SIGNALS:
    // The texter's "Done" saved or removed the settings: the main window recolours its
    // "Settings" button and shows itself.
    void settingsDone(bool featureOn);
    // A report cycle has shown its outcome.
    void cycleFinished();

private:
    class View;

    TLRAtxtMsg* load();
    void shareMailFields();
    PosTotals totals() const;
    void showTotal(bool sales);

    Platform& platform_;
    ProgramValues& values_;
    const Clock& clock_;
    Prompts& prompts_;
    ReportStatusPanel& panel_;
    Email2Factory mail_;
    TexterMailRoute& mailRoute_;
    ChannelNotifier& notifier_;
    QPointer<TLRAtxtMsg> texter_;
    QPointer<NotifySettings> deliveryWindow_;
    std::unique_ptr<View> view_;
    ReportCycle::Timing timing_;
    std::function<void(NotifySettings&)> deliverySections_;
    std::unique_ptr<ReportCycle> cycle_;
    SalesReading cycleReading_; // the totals the cycle under way has read
    std::function<void(const SalesReading&)> keepReading_;
};

} // namespace tillora
