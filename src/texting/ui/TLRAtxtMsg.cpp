#include "TLRAtxtMsg.h"

#include "CarrierFile.h"
#include "Clock.h"
#include "ClosedGateways.h"
#include "ControlNames.h"
#include "Email2.h"
#include "Email2Factory.h"
#include "MailServerFile.h"
#include "MobileNumber.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "Prompts.h"
#include "ShiftraInOut.h"
#include "TallEnough.h"
#include "TextFileView.h"
#include "TimeOfDay.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <memory>

namespace tillora {

namespace {

const QString testSubject = QStringLiteral("Test Text Message");
const QString testBody =
    QStringLiteral("This is a test Text message sent from Tillora, The professionals Choice.");

QPushButton* button(QWidget* parent, const char* caption, const char* name) {
    return named(new QPushButton(QString::fromLatin1(caption), parent), QString::fromLatin1(name));
}

QComboBox* timeList(QWidget* parent, const char* name, const QString& initial) {
    auto* combo = named(new QComboBox(parent), QString::fromLatin1(name));
    combo->setEditable(true); // typed times are accepted too
    combo->addItems(quarterHourTimes());
    combo->setCurrentIndex(-1);
    combo->setEditText(initial);
    return combo;
}

// A busy pointer for the length of a scope.
struct BusyPointer {
    BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyPointer() { QApplication::restoreOverrideCursor(); }
};

} // namespace

TLRAtxtMsg::TLRAtxtMsg(Platform& platform, ProgramValues& values, const Clock& clock,
                       Prompts& prompts, Email2Factory& mail, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , Check1(named(new QCheckBox(QStringLiteral("Use This Feature"), this), "Check1"))
    , Text1(named(new QLineEdit(QStringLiteral("000-000-0000"), this), "Text1"))
    , Combo3(named(new QComboBox(this), "Combo3"))
    , Combo4(named(new QComboBox(this), "Combo4"))
    , Text2(named(new QLineEdit(this), "Text2"))
    , Text3(named(new QLineEdit(this), "Text3"))
    , Combo1(timeList(this, "Combo1", QStringLiteral("10:00 am")))
    , Combo2(timeList(this, "Combo2", QStringLiteral("10:00 pm")))
    , Check2(named(new QCheckBox(QStringLiteral("Send Current Sales Total"), this), "Check2"))
    , Check3(named(new QCheckBox(QStringLiteral("Send  this hours voids"), this), "Check3"))
    , Check4(named(new QCheckBox(QStringLiteral("Send this hours discounts"), this), "Check4"))
    , Check5(named(new QCheckBox(QStringLiteral("Send Clocked in Employees"), this), "Check5"))
    , Text4(named(new QLineEdit(this), "Text4"))
    , Text5(named(new QLineEdit(this), "Text5"))
    , Text6(named(new QLineEdit(this), "Text6"))
    , Label2(named(new QLabel(this), "Label2"))
    , Label4(named(new QLabel(this), "Label4"))
    , Label5(named(new QLabel(this), "Label5"))
    , Label6(named(new QLabel(this), "Label6"))
    , MList1(named(new QTreeWidget(this), "MList1"))
    , Timer1(named(new QTimer(this), "Timer1"))
    , Label1{named(new QLabel(QStringLiteral("Gmail Email"), this), "Label1_0"),
             named(new QLabel(QStringLiteral("SEND LOG"), this), "Label1_1"),
             named(new QLabel(QStringLiteral("Tech Support Use Only"), this), "Label1_2"),
             named(new QLabel(QStringLiteral("If you need to change Select Cell Carrier"), this),
                   "Label1_3")}
    , Command1(button(this, "Test", "Command1"))
    , Command2(button(this, "Test", "Command2"))
    , Command3(button(this, "Work It", "Command3"))
    , Command4(button(this, "Clocked in", "Command4"))
    , Command5(button(this, "Get Discount", "Command5"))
    , Command6(button(this, "Get Sales", "Command6"))
    , Command7(button(this, "Log File", "Command7"))
    , Command8(button(this, "Empty Log File", "Command8"))
    , Command9(button(this, "INI File", "Command9"))
    , Command10(button(this, "Delivery", "Command10"))
    , SSCommand1(button(this, "Done", "SSCommand1"))
    , SSCommand3(button(this, "Edit", "SSCommand3"))
    , GatewayWarning(named(new QLabel(this), "GatewayWarning"))
    , platform_(platform)
    , values_(values)
    , clock_(clock)
    , prompts_(prompts)
    , mail_(mail) {
    setObjectName(QStringLiteral("TLRAtxtMsg"));
    setWindowTitle(QStringLiteral("Moblie Texter"));
    setAttribute(Qt::WA_DeleteOnClose);
    mail_.setTexter(this);

    Combo3->setEditable(true);
    Combo4->hide();
    Text2->setPlaceholderText(QStringLiteral("Carrier name"));
    Text3->setPlaceholderText(QStringLiteral("number@gateway domain"));
    Text6->setEchoMode(QLineEdit::Password);
    Label6->setStyleSheet(QStringLiteral("color: red"));
    Label6->setWordWrap(true);
    Label6->hide();
    Timer1->setSingleShot(false);
    MList1->setHeaderLabels(
        {QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Volume")});
    MList1->setRootIsDecorated(false);
    for (QPushButton* tool : {Command3, Command4, Command5, Command6, Command7, Command8, Command9})
        tool->setEnabled(false);

    buildLayout(!loadMailServer(platform_, values_).fromFile);
    new TallEnough(this); // the carrier warnings come and go under the carrier

    // Form load: time lists (filled above), then the settings, then the carriers.
    loadTextSettingsFile();
    loadCarrierFile();

    showGatewayProblems();
    connect(Text3, &QLineEdit::textChanged, this, &TLRAtxtMsg::showGatewayProblems);
    connect(Combo3, &QComboBox::activated, this, &TLRAtxtMsg::carrierChosen);
    connect(Combo3, &QComboBox::editTextChanged, this, &TLRAtxtMsg::carrierTyped);
    connect(Text3, &QLineEdit::textChanged, this, &TLRAtxtMsg::warnOfClosedGateway);
    warnOfClosedGateway();
    connect(Command1, &QPushButton::clicked, this, &TLRAtxtMsg::testText);
    connect(Command2, &QPushButton::clicked, this, &TLRAtxtMsg::testEmail);
    connect(Command4, &QPushButton::clicked, this, &TLRAtxtMsg::clockedIn);
    connect(Command7, &QPushButton::clicked, this, [this] { openInEditor(logPath()); });
    connect(Command8, &QPushButton::clicked, this, &TLRAtxtMsg::emptyLogFile);
    connect(SSCommand3, &QPushButton::clicked, this,
            [this] { openInEditor(carrierFilePath(values_)); });
    connect(SSCommand1, &QPushButton::clicked, this, &TLRAtxtMsg::done);
    for (QLabel* label : Label1)
        label->installEventFilter(this);
    Text1->installEventFilter(this);
}

void TLRAtxtMsg::buildLayout(bool defaultServer) {
    // The built-in server is Gmail's: the owner must then send from a Gmail account.
    const QString accountLabel =
        defaultServer ? QStringLiteral("Email Account to send from - Must be a Gmail Account")
                      : QStringLiteral("Email Account to send from");
    if (!defaultServer)
        Label1[0]->setText(QStringLiteral("Sending Email"));

    auto* phone = new QGroupBox(QStringLiteral("Mobile Phone"), this);
    auto* phoneGrid = new QGridLayout(phone);
    phoneGrid->addWidget(Check1, 0, 0, 1, 2);
    phoneGrid->addWidget(new QLabel(QStringLiteral("Mobile Number"), phone), 1, 0);
    phoneGrid->addWidget(Text1, 1, 1);
    phoneGrid->addWidget(Command1, 1, 2);
    phoneGrid->addWidget(Label1[3], 2, 0, 1, 3);
    phoneGrid->addWidget(Combo3, 3, 0, 1, 3);
    phoneGrid->addWidget(new QLabel(QStringLiteral("Carrier"), phone), 4, 0);
    phoneGrid->addWidget(Text2, 4, 1, 1, 2);
    phoneGrid->addWidget(new QLabel(QStringLiteral("Gateway"), phone), 5, 0);
    phoneGrid->addWidget(Text3, 5, 1, 1, 2);
    phoneGrid->addWidget(SSCommand3, 6, 2);
    phoneGrid->addWidget(GatewayWarning, 7, 0, 1, 3);
    GatewayWarning->setWordWrap(true);
    GatewayWarning->setStyleSheet(QStringLiteral("color: red"));
    phoneGrid->addWidget(Label6, 8, 0, 1, 3);

    auto* reports = new QGroupBox(QStringLiteral("Reports"), this);
    auto* reportGrid = new QGridLayout(reports);
    reportGrid->addWidget(new QLabel(QStringLiteral("Send texts from"), reports), 0, 0);
    reportGrid->addWidget(Combo1, 0, 1);
    reportGrid->addWidget(new QLabel(QStringLiteral("to"), reports), 0, 2);
    reportGrid->addWidget(Combo2, 0, 3);
    reportGrid->addWidget(Check2, 1, 0, 1, 2);
    reportGrid->addWidget(Label2, 1, 2, 1, 2);
    reportGrid->addWidget(Check3, 2, 0, 1, 2);
    reportGrid->addWidget(Label4, 2, 2, 1, 2);
    reportGrid->addWidget(Check4, 3, 0, 1, 2);
    reportGrid->addWidget(Check5, 4, 0, 1, 2);
    reportGrid->addWidget(Label5, 4, 2, 1, 2);
    Label5->setWordWrap(true);

    auto* email = new QGroupBox(this);
    auto* emailGrid = new QGridLayout(email);
    // Labels above their boxes: the account label is long and the boxes need the room.
    emailGrid->addWidget(Label1[0], 0, 0, 1, 2);
    emailGrid->addWidget(new QLabel(QStringLiteral("Send A Test Email To This Address"), email), 1,
                         0, 1, 2);
    emailGrid->addWidget(Text4, 2, 0);
    emailGrid->addWidget(Command2, 2, 1);
    emailGrid->addWidget(new QLabel(accountLabel, email), 3, 0, 1, 2);
    emailGrid->addWidget(Text5, 4, 0, 1, 2);
    emailGrid->addWidget(new QLabel(QStringLiteral("Password"), email), 5, 0, 1, 2);
    emailGrid->addWidget(Text6, 6, 0, 1, 2);
    emailGrid->setRowStretch(7, 1);

    auto* history = new QGroupBox(this);
    auto* historyBox = new QVBoxLayout(history);
    historyBox->addWidget(Label1[1]);
    historyBox->addWidget(MList1);

    auto* tools = new QGroupBox(this);
    auto* toolBox = new QGridLayout(tools);
    toolBox->addWidget(Label1[2], 0, 0, 1, 4);
    int i = 0;
    for (QPushButton* tool :
         {Command3, Command4, Command5, Command6, Command7, Command8, Command9}) {
        toolBox->addWidget(tool, 1 + i / 4, i % 4);
        ++i;
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(phone, 0, 0);
    grid->addWidget(reports, 0, 1);
    grid->addWidget(email, 1, 0);
    grid->addWidget(history, 1, 1);
    grid->addWidget(tools, 2, 0);
    auto* closing = new QHBoxLayout;
    closing->addStretch();
    closing->addWidget(Command10, 0, Qt::AlignBottom);
    closing->addWidget(SSCommand1, 0, Qt::AlignBottom);
    grid->addLayout(closing, 2, 1);
    Command10->setMinimumHeight(36);
    SSCommand1->setMinimumHeight(36);
}

void TLRAtxtMsg::loadTextSettingsFile() {
    const auto loaded = loadTextSettings(platform_, values_);
    if (!loaded)
        return;
    auto check = [](QCheckBox* box, const std::optional<bool>& value) {
        if (value)
            box->setChecked(*value);
    };
    auto text = [](QLineEdit* box, const std::optional<QString>& value) {
        if (value)
            box->setText(*value);
    };
    check(Check1, loaded->featureOn);
    text(Text1, loaded->mobileNumber);
    text(Text2, loaded->carrierName);
    if (loaded->firstReportTime)
        Combo1->setEditText(*loaded->firstReportTime);
    if (loaded->lastReportTime)
        Combo2->setEditText(*loaded->lastReportTime);
    check(Check2, loaded->salesReport);
    check(Check3, loaded->discountReport);
    check(Check4, loaded->hoursDiscounts);
    check(Check5, loaded->clockedInReport);
    text(Text3, loaded->gatewayTemplate);
    text(Text5, loaded->senderAccount);
    text(Text6, loaded->senderPassword);
}

void TLRAtxtMsg::loadCarrierFile() {
    const UsableCarriers carriers = usableCarriers(loadCarriers(platform_, values_));
    refusedCarriers_ = carriers.refused;
    for (const Carrier& carrier : carriers.carriers) {
        Combo3->addItem(carrier.name);
        Combo4->addItem(carrier.gatewayTemplate);
    }
    Combo3->setCurrentIndex(-1);
    Combo3->setEditText(QStringLiteral("Select your Carrier Here"));
}

void TLRAtxtMsg::carrierChosen(int index) {
    Text2->setText(Combo3->itemText(index));
    if (index >= 0 && index < Combo4->count())
        Text3->setText(Combo4->itemText(index));
}

void TLRAtxtMsg::carrierTyped(const QString& text) {
    Text2->setText(text);
    // Only a text that names a listed carrier changes the gateway.
    const int index = Combo3->findText(text);
    if (index >= 0 && index < Combo4->count())
        Text3->setText(Combo4->itemText(index));
}

// The mail server still takes a message for a closed gateway, so only this line tells the
// owner that the texts never arrive. The carrier file is left as it is.
void TLRAtxtMsg::warnOfClosedGateway() {
    const QString warning = closedGatewayWarning(Text3->text(), clock_.now().date());
    Label6->setText(warning);
    Label6->setVisible(!warning.isEmpty());
}

void TLRAtxtMsg::showGatewayProblems() {
    QStringList problems;
    if (!Text3->text().isEmpty()) {
        if (const auto problem = gatewayProblem(Text3->text()))
            problems.append(*problem + QStringLiteral(" No text goes out until it is corrected."));
    }
    if (!refusedCarriers_.isEmpty())
        problems.append(QStringLiteral("Left out of the carrier list, as their gateway in %1 is "
                                       "not \"number@\" and one domain name: %2.")
                            .arg(carrierFilePath(values_), refusedCarriers_.join(u", ")));
    GatewayWarning->setText(problems.join(u'\n'));
    GatewayWarning->setVisible(!problems.isEmpty());
}

TextSettings TLRAtxtMsg::settingsFromControls() const {
    TextSettings s;
    s.featureOn = Check1->isChecked();
    s.mobileNumber = Text1->text();
    s.carrierName = Text2->text();
    s.firstReportTime = Combo1->currentText();
    s.lastReportTime = Combo2->currentText();
    s.salesReport = Check2->isChecked();
    s.discountReport = Check3->isChecked();
    s.hoursDiscounts = Check4->isChecked();
    s.clockedInReport = Check5->isChecked();
    s.gatewayTemplate = Text3->text();
    s.senderAccount = Text5->text();
    s.senderPassword = Text6->text();
    return s;
}

void TLRAtxtMsg::testText() {
    const QString typed = Text1->text();
    switch (checkMobileNumber(typed)) {
    case NumberCheck::Placeholder:
        prompts_.critical(QStringLiteral("Won't Work"),
                          QStringLiteral("You cannot send to ") + typed);
        return;
    case NumberCheck::Refused:
        prompts_.critical(QStringLiteral("Won't Work"),
                          QStringLiteral("You cannot send to ") + typed +
                              QStringLiteral("Please check the area code"));
        return;
    case NumberCheck::Ok:
        if (const auto problem = gatewayProblem(Text3->text())) {
            prompts_.critical(QStringLiteral("Won't Work"), *problem);
            return;
        }
        sendTest(mobileAddress(typed, Text3->text()));
        return;
    }
}

void TLRAtxtMsg::testEmail() {
    sendTest(Text4->text());
}

void TLRAtxtMsg::sendTest(const QString& to) {
    Command1->setEnabled(false);
    Command2->setEnabled(false);
    QPointer<TLRAtxtMsg> self(this);
    Email2* window = mail_.create();
    window->show();
    window->Text3->setText(to);
    window->Text4->setText(testSubject);
    window->Text5->setPlainText(testBody);
    auto busy = std::make_shared<BusyPointer>();
    window->M1([self, busy](const MailResult& result) mutable {
        busy.reset();
        if (!self)
            return;
        self->lastTest_ = result;
        self->Command1->setEnabled(true);
        self->Command2->setEnabled(true);
        if (!result.ok())
            self->prompts_.critical(QStringLiteral("Send Failed"), result.reason);
    });
}

void TLRAtxtMsg::clockedIn() {
    Label5->clear();
    auto* window = new ShiftraInOut(platform_, values_, clock_, prompts_);
    QString names;
    for (const QString& entry : window->clockedInEntries())
        names += entry.trimmed();
    Label5->setText(names + u'|');
    window->show();
    if (!window->loadFailure().isEmpty())
        prompts_.critical(QStringLiteral("Clocked in"), window->loadFailure());
}

QString TLRAtxtMsg::logPath() const {
    return values_.DataDIR + QStringLiteral("TxtMsg.log");
}

void TLRAtxtMsg::openInEditor(const QString& windowsPath) {
    const QString native = platform_.nativePath(windowsPath);
    // Without an editor to start the file is still there to read.
    if (!platform_.startDetached(platform_.editorCommand(native)))
        TextFileView::open(windowsPath, native);
}

void TLRAtxtMsg::emptyLogFile() {
    const SaveResult saved = saveFileAtomically(platform_.nativePath(logPath()), {});
    if (!saved)
        prompts_.critical(QStringLiteral("Empty Log File"),
                          logPath() + QStringLiteral(" could not be emptied: ") + saved.reason);
}

void TLRAtxtMsg::done() {
    {
        BusyPointer busy;
        const auto gateway = Text3->text().isEmpty() ? std::nullopt : gatewayProblem(Text3->text());
        if (Check1->isChecked() && gateway) {
            prompts_.critical(QStringLiteral("Settings Not Saved"), *gateway);
            return;
        }
        if (Check1->isChecked()) {
            const SaveResult saved =
                saveTextSettings(platform_, values_, settingsFromControls(), clock_.now());
            if (!saved) {
                // Keep the window and what was typed: nothing is lost.
                prompts_.critical(QStringLiteral("Settings Not Saved"),
                                  textSettingsPath(values_) +
                                      QStringLiteral(" could not be written: ") + saved.reason);
                return;
            }
        } else if (!removeTextSettings(platform_, values_)) {
            prompts_.critical(QStringLiteral("Settings Not Saved"),
                              textSettingsPath(values_) +
                                  QStringLiteral(" could not be removed; texting stays on."));
        }
    }
    Q_EMIT settingsDone(textSettingsFileExists(platform_, values_));
    close();
}

bool TLRAtxtMsg::eventFilter(QObject* watched, QEvent* event) {
    // A click into "000-000-0000" selects it, so the number typed replaces it instead of
    // going in front of it. The click's press places the cursor, so its release selects.
    if (watched == Text1) {
        if (event->type() == QEvent::FocusIn &&
            static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason)
            selectNumberOnRelease_ = checkMobileNumber(Text1->text()) == NumberCheck::Placeholder;
        if (event->type() == QEvent::MouseButtonRelease && selectNumberOnRelease_) {
            selectNumberOnRelease_ = false;
            Text1->selectAll();
        }
    }
    if (event->type() == QEvent::MouseButtonPress) {
        for (QLabel* label : Label1) {
            if (watched == label) {
                for (QPushButton* tool :
                     {Command3, Command4, Command5, Command6, Command7, Command8, Command9})
                    tool->setEnabled(true);
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tillora
