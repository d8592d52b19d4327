#include "TexterWindows.h"

#include "Email2.h"
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

// The report cycle's view of the texter window's controls.
class TexterWindows::View final : public TexterView {
public:
    View(TexterWindows& owner, TLRAtxtMsg& texter)
        : owner_(owner)
        , texter_(texter) {}

    bool featureOn() const override { return texter_.Check1->isChecked(); }
    QString mobileNumber() const override { return texter_.Text1->text(); }
    QString gatewayTemplate() const override { return texter_.Text3->text(); }
    QString firstReportTime() const override { return texter_.Combo1->currentText(); }
    QString lastReportTime() const override { return texter_.Combo2->currentText(); }
    bool salesReport() const override { return texter_.Check2->isChecked(); }
    bool discountReport() const override { return texter_.Check3->isChecked(); }
    bool clockedInReport() const override { return texter_.Check5->isChecked(); }
    QString salesLabel() const override { return texter_.Label2->text(); }
    void setSalesLabel(const QString& text) override { texter_.Label2->setText(text); }
    QString discountLabel() const override { return texter_.Label4->text(); }
    void setDiscountLabel(const QString& text) override { texter_.Label4->setText(text); }
    void setClockedInLabel(const QString& text) override { texter_.Label5->setText(text); }

    void addHistoryRow(const QString& row) override {
        texter_.MList1->addTopLevelItem(new QTreeWidgetItem(row.split(u'|')));
        if (texter_.MList1->topLevelItemCount() > kHistoryLimit)
            texter_.MList1->clear();
    }
    void runSalesTotal() override {
        texter_.Label2->setText(owner_.totals().salesTotal().labelText());
    }
    void runDiscountTotal() override {
        texter_.Label4->setText(owner_.totals().discountTotal().labelText());
    }
    QStringList reloadClockedIn() override {
        // A fresh read of the time-clock files: the clocked-in window loads anew.
        ShiftraInOut clockedIn(owner_.platform_, owner_.values_, owner_.clock_, owner_.prompts_);
        return clockedIn.clockedInEntries();
    }
    void closeWindow() override {
        texter_.hide();
        texter_.deleteLater(); // the cycle may run inside one of the window's own handlers
    }

private:
    TexterWindows& owner_;
    TLRAtxtMsg& texter_;
};

// Each report through a new hidden mail window, which unloads itself after sending.
class TexterWindows::Mail final : public MailOut {
public:
    explicit Mail(Email2Factory& factory)
        : factory_(factory) {}

    MailOutcome send(const QString& to, const QString& subject, const QString& body) override {
        Email2* window = factory_.create();
        window->Text3->setText(to);
        window->Text4->setText(subject);
        window->Text5->setPlainText(body);
        const MailResult result = window->M1();
        return {result.ok(), result.reason};
    }

private:
    Email2Factory& factory_;
};

TexterWindows::TexterWindows(Platform& platform, ProgramValues& values, const Clock& clock,
                             Prompts& prompts, ReportStatusPanel& panel)
    : platform_(platform)
    , values_(values)
    , clock_(clock)
    , prompts_(prompts)
    , panel_(panel)
    , mail_(platform, values, clock, prompts)
    , mailOut_(std::make_unique<Mail>(mail_)) {
}

TexterWindows::~TexterWindows() {
    delete texter_.data();
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
    view_ = std::make_unique<View>(*this, *texter);
    connect(texter, &QObject::destroyed, this, [this] { view_.reset(); });
    connect(texter, &TLRAtxtMsg::settingsDone, this, &TexterWindows::settingsDone);
    connect(texter->Command3, &QPushButton::clicked, this, &TexterWindows::Work_it);
    connect(texter->Command6, &QPushButton::clicked, this, [this] { showTotal(true); });
    connect(texter->Command5, &QPushButton::clicked, this, [this] { showTotal(false); });
    connect(texter->Command9, &QPushButton::clicked, this,
            [this] { QS1::open(platform_, prompts_, values_); });
    return texter;
}

TexterView& TexterWindows::loadHidden() {
    load();
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

void TexterWindows::Work_it() {
    TexterView& view = loadHidden();
    ReportCycle cycle(view, *mailOut_, panel_, platform_, clock_, values_);
    cycle.setTiming(timing_);
    cycle.Work_it();
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
