#include "QS1.h"

#include "GetApiDir.h"
#include "QuickSetupLoad.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tillora {

namespace {

QLineEdit* box(QWidget* parent, const char* name, const QString& text = {}) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

QComboBox* printerList(QWidget* parent, const char* name, const QString& text = {}) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setEditText(text);
    return combo;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* push = new QPushButton(caption, parent);
    push->setObjectName(QString::fromLatin1(name));
    return push;
}

} // namespace

QS1::QS1(const Platform& platform, Prompts& prompts, ProgramValues& values, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , Text1(box(this, "Text1"))
    , Text2(box(this, "Text2"))
    , Text3(box(this, "Text3"))
    , Text4(box(this, "Text4"))
    , Text5(box(this, "Text5"))
    , Text6(box(this, "Text6", QStringLiteral("c:\\Tillora\\")))
    , Text7(box(this, "Text7", QStringLiteral("0.081")))
    , Text8(box(this, "Text8"))
    , Text9(box(this, "Text9"))
    , Text12(box(this, "Text12", QStringLiteral("1234")))
    , Text13(box(this, "Text13", QStringLiteral("C:\\Shiftra\\")))
    , Text14(box(this, "Text14", QStringLiteral("c:\\Tillora\\")))
    , Text15(box(this, "Text15", QStringLiteral("C:\\Cardessa\\")))
    , Text16(box(this, "Text16", QStringLiteral("c:\\Loyvana\\")))
    , Combo1(printerList(this, "Combo1"))
    , Combo5(printerList(this, "Combo5"))
    , Combo7(printerList(this, "Combo7", QStringLiteral("None")))
    , Combo9(printerList(this, "Combo9", QStringLiteral("None")))
    , Command1(button(this, "Command1", QStringLiteral("Quit")))
    , Command2(button(this, "Command2", QStringLiteral("Windows Startup")))
    , Frame1(new QGroupBox(QStringLiteral("Transfer Settings To"), this))
    , SSCommand1(button(Frame1, "SSCommand1", QStringLiteral("Tillora")))
    , SSCommand5(button(Frame1, "SSCommand5", QStringLiteral("Ondrik")))
    , SSCommand2(button(Frame1, "SSCommand2", QStringLiteral("Shiftra")))
    , SSCommand3(button(Frame1, "SSCommand3", QStringLiteral("Loyvana")))
    , SSCommand4(button(Frame1, "SSCommand4", QStringLiteral("Cardessa")))
    , platform_(platform)
    , prompts_(prompts)
    , values_(values) {
    setObjectName(QStringLiteral("QS1"));
    setWindowTitle(QStringLiteral("Quick Setup 1"));
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Combo7->setToolTip(QStringLiteral("For Table service this would be the Bar Printer. In fast "
                                      "fodd this may be a beverage station"));
    Combo9->setToolTip(QStringLiteral("select a printer for Printer Status"));
    Text13->setToolTip(
        QStringLiteral("This is the directory on your server where the Shiftra data is stored"));
    Text15->setToolTip(
        QStringLiteral("This is the directory on your server where the GiftCard data is stored"));

    // Each product's own setup program receives these settings. None of them is part of
    // this program, and a hand-over would do nothing here beyond setting DataDIR back to
    // C:\Tillora\, so the buttons are shown inert and have no handler.
    const std::pair<QPushButton*, const char*> transfers[] = {{SSCommand1, "Tillora"},
                                                              {SSCommand5, "Ondrik"},
                                                              {SSCommand2, "Shiftra"},
                                                              {SSCommand3, "Loyvana"},
                                                              {SSCommand4, "Cardessa"}};
    for (const auto& [push, product] : transfers) {
        push->setEnabled(false);
        push->setToolTip(QStringLiteral("These settings are received by the %1 setup program; "
                                        "enter them there.")
                             .arg(QString::fromLatin1(product)));
    }

    layOut();
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
    connect(Command2, &QPushButton::clicked, this, &QS1::openStartupWindow);

    loaded_ = Form_Load();
}

QS1* QS1::open(const Platform& platform, Prompts& prompts, ProgramValues& values, QWidget* parent) {
    auto* window = new QS1(platform, prompts, values, parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

void QS1::setVisible(bool visible) {
    if (visible && !loaded_) {
        // Nothing could be read: the window closes rather than showing empty settings.
        QWidget::setVisible(false);
        close();
        return;
    }
    QWidget::setVisible(visible);
}

bool QS1::Form_Load() {
    QuickSetupLoad load(platform_, prompts_, values_);
    const std::optional<QuickSetupContent> content = load.load();
    if (!content)
        return false;

    // Printers first: adding the first entry to an editable list would replace its text.
    for (const QString& printer : content->printers) {
        for (QComboBox* combo : {Combo1, Combo5, Combo7, Combo9})
            combo->addItem(printer);
    }
    for (const QuickSetupContent::Entry& entry : content->texts) {
        if (auto* edit = findChild<QLineEdit*>(entry.control, Qt::FindDirectChildrenOnly))
            edit->setText(entry.text);
        else if (auto* combo = findChild<QComboBox*>(entry.control, Qt::FindDirectChildrenOnly))
            combo->setEditText(entry.text);
    }
    return true;
}

void QS1::openStartupWindow() {
    if (!startupWindow_) {
        // Not a child of this window: it stays open when the quick setup window closes.
        startupWindow_ = new GetApiDir(platform_, prompts_);
        startupWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    startupWindow_->show();
    startupWindow_->raise();
    startupWindow_->activateWindow();
}

void QS1::layOut() {
    auto* fields = new QGridLayout;
    const std::pair<const char*, QWidget*> rows[] = {
        {"Company Name", Text1},
        {"Address", Text2},
        {"City, State   Zip ", Text3},
        {"Phone", Text4},
        {"Web Site", Text5},
        {"Data Directory", Text6},
        {"Sales Tax", Text7},
        {"Receipt Printer", Combo1},
        {"Kitchen Printer", Combo5},
        {"Password", Text12},
        {"Beverage Printer", Combo7},
        {"2nd Kitchen Printer", Combo9},
        {"Shiftra Directory", Text13},
        {"Server Directory", Text14},
        {"Cardessa Directory", Text15},
        {"LoyvanaDirectory", Text16},
        {"RemoteDIR", Text8},
        {"ShiftraDIR", Text9},
    };
    int row = 0;
    for (const auto& [caption, control] : rows) {
        fields->addWidget(new QLabel(QString::fromLatin1(caption), this), row, 0);
        fields->addWidget(control, row, 1);
        ++row;
    }

    auto* transfers = new QVBoxLayout(Frame1);
    for (QPushButton* push : {SSCommand1, SSCommand5, SSCommand2, SSCommand3, SSCommand4})
        transfers->addWidget(push);
    transfers->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command2);
    buttons->addStretch();
    buttons->addWidget(Command1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(fields, 1);
    columns->addWidget(Frame1);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(columns);
    outer->addLayout(buttons);
    resize(620, 560);
}

GetApiDir* QS1::startupWindow() const {
    return startupWindow_;
}

} // namespace tillora
