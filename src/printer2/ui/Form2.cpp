#include "Form2.h"

#include "AutostartBox.h"
#include "Clock.h"
#include "Colors.h"
#include "ControlNames.h"
#include "DatePictures.h"
#include "PrinterPicture.h"
#include "Prompts.h"
#include "ScheduleCheck.h"
#include "SessionAutostart.h"
#include "TimeOfDay.h"
#include "TrayIcon.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace tillora {

namespace {

constexpr int TwipsPerPixel = 15;
constexpr int BarFrameTwips = (Form2::TicksPerCheck + 1) * 1000;

const char* const WeekdayCaptions[7] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                        "Friday", "Saturday", "Sunday"};

QLabel* panel(const QString& caption, const QString& name, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Raised);
    label->setAlignment(Qt::AlignCenter);
    label->setMargin(3);
    return label;
}

QPushButton* button(const QString& caption, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

Form2::Form2(Platform& platform, Clock& clock, Prompts& prompts, ProgramValues& values,
             QWidget* parent)
    : QWidget(parent)
    , clock_(clock)
    , prompts_(prompts)
    , files_(platform, values)
    , notificationArea_(TrayIcon::notificationAreaAvailable()) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form1"));
    setWindowIcon(printerPicture());
    buildControls();
    wireEvents();
}

Form2::~Form2() {
    DeleteIcon();
}

void Form2::buildControls() {
    SSPanel1[0] = panel(QStringLiteral("Tillora Auto Backup"), QStringLiteral("SSPanel1_0"), this);
    SSPanel1[1] =
        panel(QStringLiteral("Current Printer Status"), QStringLiteral("SSPanel1_1"), this);
    SSPanel1[2] = panel(QStringLiteral("Happy Hour Settings"), QStringLiteral("SSPanel1_2"), this);
    QFont banner = SSPanel1[0]->font();
    banner.setPointSize(banner.pointSize() + 6);
    banner.setBold(true);
    SSPanel1[0]->setFont(banner);
    QFont bold = SSPanel1[2]->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    SSPanel1[2]->setFont(bold);

    SSPanel3 = panel(QStringLiteral("ON"), QStringLiteral("SSPanel3"), this);
    SSPanel3->setAutoFillBackground(true);
    QFont status = SSPanel3->font();
    status.setPointSize(status.pointSize() + 8);
    status.setBold(true);
    SSPanel3->setFont(status);
    SSPanel3->setMinimumWidth(120);

    SSPanel4 = panel(QString(), QStringLiteral("SSPanel4"), this);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setVisible(false); // the weekday the check reads; the "Today" panel shows it

    SSPanel2[0] = panel(QStringLiteral("Printer On"), QStringLiteral("SSPanel2_0"), this);
    SSPanel2[1] = panel(QStringLiteral("Printer Off"), QStringLiteral("SSPanel2_1"), this);

    auto* grid = new QGridLayout;
    grid->addWidget(SSPanel2[0], 0, 1);
    grid->addWidget(SSPanel2[1], 0, 2);
    for (int i = 0; i < 7; ++i) {
        Label1[i] = new QLabel(QLatin1String(WeekdayCaptions[i]), this);
        Label1[i]->setObjectName(indexedName("Label1", i));
        Combo1[i] = new QComboBox(this);
        Combo1[i]->setObjectName(indexedName("Combo1", i));
        Combo2[i] = new QComboBox(this);
        Combo2[i]->setObjectName(indexedName("Combo2", i));
        for (QComboBox* list : {Combo1[i], Combo2[i]}) {
            list->setEditable(true); // the lists accept typed times
            list->setInsertPolicy(QComboBox::NoInsert);
            list->setMaxVisibleItems(16);
            list->setMinimumWidth(120);
        }
        grid->addWidget(Label1[i], i + 1, 0);
        grid->addWidget(Combo1[i], i + 1, 1);
        grid->addWidget(Combo2[i], i + 1, 2);
    }

    SSCommand3 = button(QStringLiteral("Turn On"), QStringLiteral("SSCommand3"), this);
    SSCommand4 = button(QStringLiteral("Turn Off"), QStringLiteral("SSCommand4"), this);
    SSCommand1 = button(QStringLiteral("Done"), QStringLiteral("SSCommand1"), this);
    SSCommand2 = button(QStringLiteral("End"), QStringLiteral("SSCommand2"), this);
    Command1 = button(QString(), QStringLiteral("Command1"), this);
    Command2 = button(QString(), QStringLiteral("Command2"), this);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(printerPicture().pixmap(48, 48));

    // The tick progress: a bar that grows inside its frame with each tick.
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setFixedSize(BarFrameTwips / TwipsPerPixel + 2, 10);
    Shape2 = new QFrame(Shape1);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setAutoFillBackground(true);
    QPalette barColours = Shape2->palette();
    barColours.setColor(QPalette::Window, QColor(0, 0, 160));
    Shape2->setPalette(barColours);
    setBarWidth(15);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true); // each tick re-arms it once its work is done
    Timer1->setInterval(TimerInterval);

    auto* top = new QHBoxLayout;
    top->addWidget(Image1);
    top->addWidget(SSPanel1[0], 1);

    auto* statusBox = new QVBoxLayout;
    statusBox->addWidget(SSPanel1[1]);
    statusBox->addWidget(SSPanel3);
    statusBox->addWidget(SSCommand3);
    statusBox->addWidget(SSCommand4);
    statusBox->addStretch(1);

    auto* middle = new QHBoxLayout;
    middle->addLayout(grid, 1);
    middle->addSpacing(12);
    middle->addLayout(statusBox);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    buttons->addStretch(1);
    buttons->addWidget(SSCommand1);
    buttons->addWidget(SSCommand2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(SSPanel4);
    layout->addLayout(middle);
    layout->addWidget(Shape1, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);
    layout->addWidget(SSPanel1[2]);

    trayIcon_ = new TrayIcon(QStringLiteral("Tillora Kitchen Printer 2 "), printerPicture(), this);
}

void Form2::wireEvents() {
    connect(SSCommand3, &QPushButton::clicked, this, &Form2::SwitchOn);
    connect(SSCommand4, &QPushButton::clicked, this, &Form2::SwitchOff);
    connect(SSCommand1, &QPushButton::clicked, this, &Form2::Done);
    connect(SSCommand2, &QPushButton::clicked, this, &Form2::End);
    connect(Command1, &QPushButton::clicked, this, &Form2::AddIcon);
    connect(Command2, &QPushButton::clicked, this, &Form2::DeleteIcon);
    connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Tick);
    connect(trayIcon_, &TrayIcon::showRequested, this, &Form2::showWindow);
}

void Form2::Form_Load() {
    Command1->setText(QStringLiteral("Add an Icon"));
    Command2->setText(QStringLiteral("Delete Icon"));
    FillTimeLists();
    ReadBannerSettings();
    LoadSchedule();
    ShowToday();
    ShowStatus();
    AddIcon();
    Timer1->start(TimerInterval);
}

void Form2::FillTimeLists() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const QStringList& times = quarterHourTimes();
    for (int i = 0; i < 7; ++i) {
        for (QComboBox* list : {Combo1[i], Combo2[i]}) {
            const QString typed = list->currentText();
            list->addItems(times);
            // Filling a list does not pick an entry: the text stays as it was.
            list->setCurrentIndex(-1);
            list->setEditText(typed);
        }
    }
    QGuiApplication::restoreOverrideCursor();
}

void Form2::ReadBannerSettings() {
    if (const auto company = files_.readBannerSettings())
        SSPanel1[2]->setText(*company);
}

void Form2::LoadSchedule() {
    const auto saved = files_.loadSchedule();
    if (!saved)
        return;
    for (int i = 0; i < 7; ++i) {
        Combo1[i]->setEditText((*saved)[i].onText);
        Combo2[i]->setEditText((*saved)[i].offText);
    }
}

KitchenSchedule Form2::schedule() const {
    KitchenSchedule rows;
    for (int i = 0; i < 7; ++i)
        rows[i] = {Combo1[i]->currentText(), Combo2[i]->currentText()};
    return rows;
}

bool Form2::SaveSchedule() {
    const SaveResult saved = files_.saveSchedule(schedule());
    if (saved)
        return true;
    prompts_.critical(QStringLiteral("Schedule not Saved"),
                      QStringLiteral("The kitchen printer 2 schedule could not be saved to %1. "
                                     "Your changes are still in the window.\n\n%2")
                          .arg(files_.schedulePath(), saved.reason));
    return false;
}

void Form2::SwitchOn() {
    files_.switchOn();
    ShowStatus();
}

void Form2::SwitchOff() {
    files_.switchOff();
    ShowStatus();
}

void Form2::ShowStatus() {
    setStatusPanel(files_.markerPresent());
}

void Form2::setStatusPanel(bool on) {
    SSPanel3->setText(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    QPalette colours = SSPanel3->palette();
    colours.setColor(QPalette::Window, on ? toQColor(colour::Green) : toQColor(colour::Red));
    colours.setColor(QPalette::WindowText, Qt::white);
    SSPanel3->setPalette(colours);
    SSCommand3->setEnabled(!on);
    SSCommand4->setEnabled(on);
}

void Form2::ShowToday() {
    const QDateTime now = clock_.now();
    const QString weekday = QLocale().dayName(now.date().dayOfWeek(), QLocale::LongFormat);
    SSPanel4->setText(weekday + QStringLiteral("  ") + formatPicture(now, Picture::MonthDayYear));
    Label2->setText(weekday);
}

void Form2::setBarWidth(int twips) {
    barWidthTwips_ = twips;
    const int pixels = qBound(1, twips / TwipsPerPixel, BarFrameTwips / TwipsPerPixel);
    Shape2->setGeometry(1, 1, pixels, Shape1->height() - 2);
}

void Form2::Timer1_Tick() {
    Timer1->stop();
    ++TickCount_;
    setBarWidth((TickCount_ + 1) * 1000);
    if (TickCount_ >= TicksPerCheck) {
        TickCount_ = 0;
        setBarWidth(15);
        ShowToday();
        const ScheduleRow row = schedule()[rowForWeekday(Label2->text())];
        switch (scheduleAction(row, clock_.now().time(), SSPanel3->text())) {
        case SwitchAction::SwitchOn:
            SwitchOn();
            setBarWidth(15);
            break;
        case SwitchAction::SwitchOff:
            SwitchOff();
            setBarWidth(15);
            break;
        case SwitchAction::None:
            break;
        }
    }
    Timer1->start(TimerInterval);
}

void Form2::AddIcon() {
    trayIcon_->add();
    settleIntoNotificationArea();
}

void Form2::DeleteIcon() {
    if (trayIcon_)
        trayIcon_->remove();
}

void Form2::Done() {
    // A schedule that could not be saved keeps the window open with the edits in it.
    if (SaveSchedule())
        settleIntoNotificationArea();
}

void Form2::End() {
    SaveSchedule();
    DeleteIcon();
    Timer1->stop();
    ending_ = true;
    Q_EMIT endRequested();
}

void Form2::IconMessage(int messageCode) {
    trayIcon_->handleMessage(messageCode);
}

void Form2::showWindow() {
    showNormal();
    raise();
    activateWindow();
}

void Form2::settleIntoNotificationArea() {
    // Hidden only behind an icon: with the icon deleted, the window stays within reach.
    if (notificationArea_ && trayIcon_->isShown())
        hide();
    else
        showMinimized();
}

void Form2::wireAutostart(Autostart& autostart) {
    StartWithSession = new AutostartBox(autostart, prompts_, this);
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->insertWidget(column->indexOf(SSPanel1[2]), StartWithSession);
}

void Form2::closeEvent(QCloseEvent* event) {
    // Ending the program closes its windows: a close refused then would cancel the quit.
    if (ending_) {
        event->accept();
        return;
    }
    event->ignore();
    Done();
}

} // namespace tillora
