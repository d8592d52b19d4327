#include "TexterWindows.h"

#include "Clock.h"
#include "Email2.h"
#include "NotifySettings.h"
#include "PosTotals.h"
#include "ProgramValues.h"
#include "Prompts.h"
#include "QS1.h"
#include "ShiftraInOut.h"
#include "TLRAtxtMsg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace tillora {

namespace {
constexpr int kHistoryLimit = 2000;
}

// The report cycle's view of the texter window's controls. The operator may close the
// window while a cycle waits for a total or a send; the cycle then goes on with the
// values the window last showed instead of reaching into a window that is gone.
class TexterWindows::View final : public TexterView {
public:
    explicit View(TexterWindows& owner)
        : owner_(owner) {}

    void attach(TLRAtxtMsg* texter) {
        texter_ = texter;
        last_ = {};
        readAll();
    }
    // Takes every setting the cycle reads, so a window closed mid-cycle leaves them.
    void readAll() {
        featureOn();
        mobileNumber();
        gatewayTemplate();
        firstReportTime();
        lastReportTime();
        salesReport();
        discountReport();
        clockedInReport();
        salesLabel();
        discountLabel();
    }

    bool featureOn() const override { return live(&TLRAtxtMsg::Check1, last_.featureOn); }
    QString mobileNumber() const override { return live(&TLRAtxtMsg::Text1, last_.mobileNumber); }
    QString gatewayTemplate() const override {
        return live(&TLRAtxtMsg::Text3, last_.gatewayTemplate);
    }
    QString firstReportTime() const override {
        return live(&TLRAtxtMsg::Combo1, last_.firstReportTime);
    }
    QString lastReportTime() const override {
        return live(&TLRAtxtMsg::Combo2, last_.lastReportTime);
    }
    bool salesReport() const override { return live(&TLRAtxtMsg::Check2, last_.salesReport); }
    bool discountReport() const override { return live(&TLRAtxtMsg::Check3, last_.discountReport); }
    bool clockedInReport() const override {
        return live(&TLRAtxtMsg::Check5, last_.clockedInReport);
    }
    QString salesLabel() const override { return live(&TLRAtxtMsg::Label2, last_.salesLabel); }
    void setSalesLabel(const QString& text) override {
        set(&TLRAtxtMsg::Label2, last_.salesLabel, text);
    }
    QString discountLabel() const override {
        return live(&TLRAtxtMsg::Label4, last_.discountLabel);
    }
    void setDiscountLabel(const QString& text) override {
        set(&TLRAtxtMsg::Label4, last_.discountLabel, text);
    }
    void setClockedInLabel(const QString& text) override {
        QString ignored;
        set(&TLRAtxtMsg::Label5, ignored, text);
    }

    void addHistoryRow(const QString& row) override {
        if (!texter_)
            return;
        texter_->MList1->addTopLevelItem(new QTreeWidgetItem(row.split(u'|')));
        if (texter_->MList1->topLevelItemCount() > kHistoryLimit)
            texter_->MList1->clear();
    }
    void runSalesTotal() override {
        const TotalResult sales = owner_.totals().salesTotal();
        owner_.cycleReading_.sales = sales.total;
        setSalesLabel(sales.labelText());
    }
    void runDiscountTotal() override {
        const TotalResult discounts = owner_.totals().discountTotal();
        owner_.cycleReading_.discounts = discounts.total;
        setDiscountLabel(discounts.labelText());
    }
    QStringList reloadClockedIn() override {
        // A fresh read of the time-clock files: the clocked-in window loads anew.
        ShiftraInOut clockedIn(owner_.platform_, owner_.values_, owner_.clock_, owner_.prompts_);
        return clockedIn.clockedInEntries();
    }
    void closeWindow() override {
        if (!texter_)
            return;
        texter_->hide();
        texter_->deleteLater(); // the cycle may run inside one of the window's own handlers
    }

private:
    struct Last {
        bool featureOn = false, salesReport = false, discountReport = false,
             clockedInReport = false;
        QString mobileNumber, gatewayTemplate, firstReportTime, lastReportTime, salesLabel,
            discountLabel;
    };

    bool live(QCheckBox* TLRAtxtMsg::*box, bool& last) const {
        if (texter_)
            last = (texter_->*box)->isChecked();
        return last;
    }
    QString live(QLineEdit* TLRAtxtMsg::*box, QString& last) const {
        if (texter_)
            last = (texter_->*box)->text();
        return last;
    }
    QString live(QComboBox* TLRAtxtMsg::*list, QString& last) const {
        if (texter_)
            last = (texter_->*list)->currentText();
        return last;
    }
    QString live(QLabel* TLRAtxtMsg::*label, QString& last) const {
        if (texter_)
            last = (texter_->*label)->text();
        return last;
    }
    void set(QLabel* TLRAtxtMsg::*label, QString& last, const QString& text) {
        last = text;
        if (texter_)
            (texter_->*label)->setText(text);
    }

    TexterWindows& owner_;
    QPointer<TLRAtxtMsg> texter_;
    mutable Last last_;
};

TexterWindows::TexterWindows(Platform& platform, ProgramValues& values, const Clock& clock,
                             Prompts& prompts, ReportStatusPanel& panel, TexterMailRoute& mailRoute,
                             ChannelNotifier& notifier)
    : platform_(platform)
    , values_(values)
    , clock_(clock)
    , prompts_(prompts)
    , panel_(panel)
    , mail_(platform, values, clock, prompts)
    , mailRoute_(mailRoute)
    , notifier_(notifier)
    , view_(std::make_unique<View>(*this)) {
}

TexterWindows::~TexterWindows() {
    // The delivery window and a cycle under way send through the program's notifier and
    // read the texter window: they go first.
    delete deliveryWindow_.data();
    cycle_.reset();
    delete texter_.data();
}

void TexterWindows::cancelSends() {
    notifier_.cancelSends();
    mail_.cancelSends();
}

TLRAtxtMsg* TexterWindows::texter() const {
    return texter_;
}

PosTotals TexterWindows::totals() const {
    return PosTotals(platform_, values_.RemoteDIR);
}

TLRAtxtMsg* TexterWindows::load() {
    if (texter_)
        return texter_;
    auto* texter = new TLRAtxtMsg(platform_, values_, clock_, prompts_, mail_);
    texter_ = texter;
    view_->attach(texter);
    connect(texter, &TLRAtxtMsg::settingsDone, this, &TexterWindows::settingsDone);
    connect(texter->Command3, &QPushButton::clicked, this, &TexterWindows::Work_it);
    connect(texter->Command6, &QPushButton::clicked, this, [this] { showTotal(true); });
    connect(texter->Command5, &QPushButton::clicked, this, [this] { showTotal(false); });
    connect(texter->Command9, &QPushButton::clicked, this,
            [this] { QS1::open(platform_, prompts_, values_); });
    connect(texter->Command10, &QPushButton::clicked, this, &TexterWindows::showDeliverySettings);
    for (QLineEdit* field : {texter->Text1, texter->Text3, texter->Text5, texter->Text6})
        connect(field, &QLineEdit::textChanged, this, &TexterWindows::shareMailFields);
    connect(texter, &QObject::destroyed, this, [this] {
        if (!texter_) // not when a new texter window is loaded already
            mailRoute_.setLiveFields(std::nullopt);
    });
    shareMailFields();
    return texter;
}

// The notifier may send from another thread: it gets the fields' values, never the window.
void TexterWindows::shareMailFields() {
    if (!texter_)
        return;
    mailRoute_.setLiveFields(TexterMailFields{texter_->Text1->text(),
                                              texter_->Text3->text(),
                                              {texter_->Text5->text(), texter_->Text6->text()}});
}

TexterView& TexterWindows::loadHidden() {
    load()->hide();
    return *view_;
}

void TexterWindows::showSettings() {
    TLRAtxtMsg* texter = load();
    texter->show();
    texter->raise();
    texter->activateWindow();
}

void TexterWindows::showMailWindow() {
    Email2* window = mail_.create();
    window->show();
}

void TexterWindows::showDeliverySettings() {
    NotifySettings::open(deliveryWindow_, notifier_, prompts_, deliverySections_);
}

void TexterWindows::Work_it() {
    // One cycle at a time: "Work It" or the hourly check during a cycle would send the
    // reports twice.
    if (cycle_)
        return;
    QPointer<TLRAtxtMsg> texter = load();
    view_->readAll();
    cycleReading_ = {clock_.now(), std::nullopt, std::nullopt};
    cycle_ = std::make_unique<ReportCycle>(*view_, notifier_, panel_, platform_, clock_, values_);
    cycle_->setTiming(timing_);
    const bool workItEnabled = texter->Command3->isEnabled();
    texter->Command3->setEnabled(false);
    connect(cycle_.get(), &ReportCycle::finished, this, [this, texter, workItEnabled] {
        if (texter)
            texter->Command3->setEnabled(workItEnabled);
        // The cycle is still inside its own signal: it goes once that has returned.
        cycle_.release()->deleteLater();
        if (keepReading_ && (cycleReading_.sales || cycleReading_.discounts))
            keepReading_(cycleReading_);
        Q_EMIT cycleFinished();
    });
    cycle_->Work_it();
}

void TexterWindows::showTotal(bool sales) {
    if (!texter_)
        return;
    QLabel* label = sales ? texter_->Label2 : texter_->Label4;
    label->clear();
    const TotalResult result = sales ? totals().salesTotal() : totals().discountTotal();
    label->setText(result.labelText());
    if (!result.total)
        prompts_.critical(sales ? QStringLiteral("Get Sales") : QStringLiteral("Get Discount"),
                          result.reason);
}

} // namespace tillora
