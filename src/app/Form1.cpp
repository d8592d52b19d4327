#include "Form1.h"

#include "ActiveResize.h"
#include "AutostartBox.h"
#include "ControlNames.h"
#include "DirectorySet.h"
#include "SessionAutostart.h"
#include "TimeOfDay.h"
#include "TrayIcon.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace tillora {

namespace {

constexpr QSize DesignSize(700, 556);

// The drive value a selector stands for: a drive that is not connected is listed as such
// but keeps the value it was saved with.
QString driveValue(const QComboBox* selector) {
    const QVariant saved = selector->currentData();
    return saved.isValid() ? saved.toString() : selector->currentText();
}
// The overlay rests below the visible area and moves up while a backup runs.
constexpr int OverlayRestingTop = twips(12000);
constexpr int OverlayBusyTop = twips(1440);

void setPanelColours(QLabel* panel, unsigned int back, unsigned int text) {
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, toQColor(back));
    palette.setColor(QPalette::WindowText, toQColor(text));
    panel->setAutoFillBackground(true);
    panel->setPalette(palette);
}

QLabel* panelLabel(const QString& caption, QWidget* parent) {
    auto* panel = new QLabel(caption, parent);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setAlignment(Qt::AlignCenter);
    return panel;
}

} // namespace

void ClickablePanel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    Q_EMIT clicked();
}

Form1::Form1(Platform& platform, Prompts& prompts, BackupSetup& setup, QWidget* parent)
    : QWidget(parent)
    , platform_(platform)
    , prompts_(prompts)
    , setup_(setup) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tillora Auto Backup - keeps your store data safe"));
    // The installed icon where the desktop's theme has it; the style's drive otherwise.
    setWindowIcon(QIcon::fromTheme(QStringLiteral("tillora-backup"),
                                   QApplication::style()->standardIcon(QStyle::SP_DriveHDIcon)));
    notificationArea_ = TrayIcon::notificationAreaAvailable();
    resize_ = new ActiveResize(this, DesignSize);
    buildControls();
    buildRunControls();
    buildOverlay();
    fillDrives();

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setSingleShot(true);
    connect(Timer2, &QTimer::timeout, this, [this] {
        hideToResident();
        Q_EMIT settled();
    });

    connect(SSCommand1, &QPushButton::clicked, this, &Form1::done);
    connect(SSCommand2, &QPushButton::clicked, this, &Form1::end);
    connect(SSCommand4, &QPushButton::clicked, this, &Form1::setDefault);
    connect(SSPanel6, &ClickablePanel::clicked, this, [this] { SSPanel6->setVisible(false); });
    for (QCheckBox* box : SSCheck1)
        connect(box, &QCheckBox::clicked, this, &Form1::ShowBackupStatus);
    for (int row = 0; row < BackupSettings::FolderCount; ++row) {
        connect(Text1[row], &QLineEdit::textEdited, this, [this, row] { refuseQuotedName(row); });
        connect(Text1[row], &QLineEdit::editingFinished, this,
                [this, row] { refuseUnsafeName(row); });
    }
    connect(Drive2, &QComboBox::currentIndexChanged, this, [this] {
        // A drive that is not connected has no figures to show.
        if (!Drive2->currentData().isValid())
            Q_EMIT destinationDriveChanged(Drive2->currentText());
    });
    connect(Drive2, &QComboBox::activated, this, &Form1::destinationDriveChosen);
    connect(CancelButton, &QPushButton::clicked, this, &Form1::cancelRequested);
    bindToSetup();
}

// Every change of a control goes into the model at once, as the owner makes it, so a
// run reads it from its next step on; the model's changes from elsewhere (the file read,
// a run's date) show in the controls.
void Form1::bindToSetup() {
    connect(Combo1[0], &QComboBox::currentTextChanged, this, &Form1::pushToSetup);
    connect(Combo1[0], &QComboBox::editTextChanged, this, &Form1::pushToSetup);
    for (QComboBox* selector : {Drive1, Drive2})
        connect(selector, &QComboBox::currentIndexChanged, this, &Form1::pushToSetup);
    for (int row = 0; row < BackupSettings::FolderCount; ++row)
        connect(Text1[row], &QLineEdit::textChanged, this, &Form1::pushToSetup);
    for (QCheckBox* box : SSCheck1)
        connect(box, &QCheckBox::toggled, this, &Form1::pushToSetup);
    connect(Text2, &QLineEdit::textChanged, this, &Form1::pushToSetup);
    connect(CatchUpBox, &QCheckBox::clicked, &setup_, &BackupSetup::setCatchUpMissedRun);
    connect(&setup_, &BackupSetup::changed, this, &Form1::showSetup);
    showSetup();
}

void Form1::pushToSetup() {
    if (!showingSetup_)
        setup_.setSettings(settings());
}

void Form1::showSetup() {
    const BackupSetupSnapshot now = setup_.snapshot();
    CatchUpBox->setChecked(now.catchUpMissedRun);
    if (settings() == now.settings)
        return;
    showingSetup_ = true;
    applySettings(now.settings);
    showingSetup_ = false;
    ShowBackupStatus();
}

Form1::~Form1() = default;

void Form1::buildControls() {
    auto label = [this](const QString& text, QRect rect) {
        auto* l = new QLabel(text, this);
        resize_->place(l, rect);
        return l;
    };
    label(QStringLiteral("Backup Directories Below Daily At: "), {10, 12, 230, 24});
    for (int i = 0; i < 2; ++i) {
        Combo1[i] = new QComboBox(this);
        Combo1[i]->setObjectName(indexedName("Combo1", i));
        Combo1[i]->setEditable(true);
        Combo1[i]->setInsertPolicy(QComboBox::NoInsert);
        Combo1[i]->setEditText(QStringLiteral("3:00 am"));
        resize_->place(Combo1[i], {245, 10, 120, 26});
    }
    Combo1[0]->setToolTip(
        QStringLiteral("Be sure to select a time that no server stations will be in use"));
    Combo1[1]->setVisible(false);

    label(QStringLiteral("Backup From"), {10, 48, 100, 24});
    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    resize_->place(Drive1, {110, 46, 200, 26});
    label(QStringLiteral("Backup To"), {10, 80, 100, 24});
    Drive2 = new QComboBox(this);
    Drive2->setObjectName(QStringLiteral("Drive2"));
    Drive2->setToolTip(
        QStringLiteral("We suggest using an external USB hard Drive as the Backup TO DRIVE"));
    resize_->place(Drive2, {110, 78, 200, 26});

    label(QStringLiteral("Directory"), {10, 114, 210, 20});
    label(QStringLiteral("Enabled"), {228, 114, 80, 20});
    const auto names = BackupSettings::defaultFolderNames();
    const BackupSettings design;
    for (int row = 0; row < 6; ++row) {
        Text1[row] = new QLineEdit(this);
        Text1[row]->setObjectName(indexedName("Text1", row));
        Text1[row]->setText(row < BackupSettings::FolderCount ? names[row]
                                                              : BackupSettings::networkRowText());
        resize_->place(Text1[row], {10, 136 + row * 28, 210, 24});
        SSCheck1[row] = new QCheckBox(this);
        SSCheck1[row]->setObjectName(indexedName("SSCheck1", row));
        SSCheck1[row]->setChecked(design.flags[row] != 0);
        resize_->place(SSCheck1[row], {240, 136 + row * 28, 24, 24});
    }
    Text1[5]->setReadOnly(true);

    label(QStringLiteral("Last Backup Date"), {10, 312, 120, 24});
    Text2 = new QLineEdit(QStringLiteral("Never"), this);
    Text2->setObjectName(QStringLiteral("Text2"));
    resize_->place(Text2, {130, 310, 130, 26});

    MonthView1 = new QCalendarWidget(this);
    MonthView1->setObjectName(QStringLiteral("MonthView1"));
    MonthView1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    resize_->place(MonthView1, {390, 10, 300, 190});

    SSPanel3 = panelLabel(QStringLiteral("OFF"), this);
    SSPanel3->setObjectName(QStringLiteral("SSPanel3"));
    SSPanel3->setToolTip(QStringLiteral("To turn status on you must enable at least 1 directory"));
    QFont big = SSPanel3->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 4);
    SSPanel3->setFont(big);
    setPanelColours(SSPanel3, colour::Red, colour::ButtonText);
    resize_->place(SSPanel3, {390, 210, 110, 40});
    label(QStringLiteral("Red is Off Green is ON"), {510, 218, 180, 24});

    TextToMobile = new QGroupBox(QStringLiteral("Text to Mobile"), this);
    TextToMobile->setObjectName(QStringLiteral("TextToMobile"));
    auto* mobile = new QHBoxLayout(TextToMobile);
    SSCommand5 = new QPushButton(QStringLiteral("Settings"), TextToMobile);
    SSCommand6 = new QPushButton(QStringLiteral("E-Mail"), TextToMobile);
    mobile->addWidget(SSCommand5);
    mobile->addWidget(SSCommand6);
    // Below its title the box has room for the buttons only if their margins stay thin.
    const QMargins margins = mobile->contentsMargins();
    mobile->setContentsMargins(margins.left(), 2, margins.right(), 4);
    resize_->place(TextToMobile, {390, 254, 300, 64});

    Command1 = new QPushButton(QStringLiteral("Check Map"), this);
    resize_->place(Command1, {390, 322, 140, 28});
    SSCommand7 = new QPushButton(QStringLiteral("Off-site Copy"), this);
    SSCommand7->setToolTip(QStringLiteral("An encrypted copy kept elsewhere, made after each "
                                          "nightly backup"));
    resize_->place(SSCommand7, {540, 322, 150, 28});
    OffsiteProgress = new QProgressBar(this);
    OffsiteProgress->setObjectName(QStringLiteral("OffsiteProgress"));
    OffsiteProgress->setFormat(QStringLiteral("Off-site %p%"));
    OffsiteProgress->setVisible(false);
    resize_->place(OffsiteProgress, {390, 356, 300, 24});

    SSPanel6 = new ClickablePanel(QString(), this);
    SSPanel6->setObjectName(QStringLiteral("SSPanel6"));
    SSPanel6->setFrameShape(QFrame::Panel);
    SSPanel6->setFrameShadow(QFrame::Sunken);
    SSPanel6->setAlignment(Qt::AlignCenter);
    resize_->place(SSPanel6, {10, 412, 680, 28});

    SSPanel14 = panelLabel(
        QStringLiteral("Click Done to Keep this program running in the Background. To have this "
                       "program start each time Windows is started copy a shortcut to the startup "
                       "folder"),
        this);
    SSPanel14->setObjectName(QStringLiteral("SSPanel14"));
    SSPanel14->setWordWrap(true);
    resize_->place(SSPanel14, {10, 446, 680, 52});

    SSCommand1 = new QPushButton(QStringLiteral("Done"), this);
    SSCommand2 = new QPushButton(QStringLiteral("End"), this);
    SSCommand3 = new QPushButton(QStringLiteral("Backup Now"), this);
    SSCommand4 = new QPushButton(QStringLiteral("Set Default"), this);
    SSCommand4->setToolTip(QStringLiteral("Set above directories to  Defaults"));
    const std::array<QPushButton*, 4> row = {SSCommand1, SSCommand2, SSCommand3, SSCommand4};
    for (int i = 0; i < 4; ++i)
        resize_->place(row[i], {10 + i * 172, 508, 162, 38});

    const std::array<std::pair<QPushButton*, const char*>, 8> names2 = {{
        {SSCommand1, "SSCommand1"},
        {SSCommand2, "SSCommand2"},
        {SSCommand3, "SSCommand3"},
        {SSCommand4, "SSCommand4"},
        {SSCommand5, "SSCommand5"},
        {SSCommand6, "SSCommand6"},
        {Command1, "Command1"},
        {SSCommand7, "SSCommand7"},
    }};
    for (const auto& [button, name] : names2)
        button->setObjectName(QString::fromLatin1(name));
}

void Form1::buildRunControls() {
    HistoryButton = new QPushButton(QStringLiteral("History"), this);
    HistoryButton->setObjectName(QStringLiteral("HistoryButton"));
    HistoryButton->setToolTip(
        QStringLiteral("Every backup run, and the last 30 nights as a chart"));
    resize_->place(HistoryButton, {270, 310, 110, 26});
    RestoreButton = new QPushButton(QStringLiteral("Restore"), this);
    RestoreButton->setObjectName(QStringLiteral("RestoreButton"));
    RestoreButton->setToolTip(
        QStringLiteral("Files back from the backup drive, as they were on an earlier night"));
    resize_->place(RestoreButton, {270, 278, 110, 26});
    LastRunLabel = new QLabel(this);
    LastRunLabel->setObjectName(QStringLiteral("LastRunLabel"));
    // Room for three lines: a long run wraps once, and the off-site copy has its own line.
    LastRunLabel->setWordWrap(true);
    LastRunLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    resize_->place(LastRunLabel, {10, 340, 370, 46});
    CatchUpBox = new QCheckBox(QStringLiteral("Make up a missed backup at start"), this);
    CatchUpBox->setObjectName(QStringLiteral("CatchUpBox"));
    CatchUpBox->setChecked(true);
    CatchUpBox->setToolTip(QStringLiteral(
        "When the computer was off or asleep at the backup time, back up soon after it is on"));
    resize_->place(CatchUpBox, {10, 388, 370, 20});
}

void Form1::buildOverlay() {
    SSPanel2 = new QFrame(this);
    SSPanel2->setObjectName(QStringLiteral("SSPanel2"));
    SSPanel2->setFrameShape(QFrame::Panel);
    SSPanel2->setFrameShadow(QFrame::Raised);
    SSPanel2->setAutoFillBackground(true);
    auto* layout = new QGridLayout(SSPanel2);
    auto* title = new QLabel(QStringLiteral("Backing Up Data NOW"), SSPanel2);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSize(big.pointSize() + 6);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    auto* wait = new QLabel(QStringLiteral("PLEASE WAIT"), SSPanel2);
    wait->setAlignment(Qt::AlignCenter);
    Label3 = new QLabel(SSPanel2);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4 = new QLabel(SSPanel2);
    Label4->setObjectName(QStringLiteral("Label4"));
    ProgressBar1 = new QProgressBar(SSPanel2);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    File1 = new QListWidget(SSPanel2);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setVisible(false);
    SSPanel4 = panelLabel(QStringLiteral("-Backing UP Files -"), SSPanel2);
    SSPanel4->setObjectName(QStringLiteral("SSPanel4"));
    CancelButton = new QPushButton(QStringLiteral("Cancel"), SSPanel2);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setToolTip(QStringLiteral("Stops the backup after the file being copied; "
                                            "the last backup date stays as it was"));
    layout->addWidget(title, 0, 0, 1, 2);
    layout->addWidget(wait, 1, 0, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("From"), SSPanel2), 2, 0);
    layout->addWidget(Label3, 2, 1);
    layout->addWidget(new QLabel(QStringLiteral("To"), SSPanel2), 3, 0);
    layout->addWidget(Label4, 3, 1);
    layout->addWidget(ProgressBar1, 4, 0, 1, 2);
    layout->addWidget(SSPanel4, 5, 0, 1, 2);
    layout->addWidget(CancelButton, 6, 0, 1, 2, Qt::AlignHCenter);
    layout->addWidget(File1, 7, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    resize_->place(SSPanel2, {20, OverlayRestingTop, 660, 260});
    SSPanel2->setVisible(false);
}

void Form1::fillDrives() {
    const QStringList drives = platform_.drives();
    for (QComboBox* selector : {Drive1, Drive2}) {
        const QSignalBlocker quiet(selector);
        // The drive selectors start on the system drive, as the program always has.
        const QString current = selector->count() ? driveValue(selector) : QStringLiteral("c:");
        selector->clear();
        selector->addItems(drives);
        selectDrive(selector, current);
    }
}

void Form1::selectDrive(QComboBox* selector, const QString& driveText) {
    const QString letter = driveText.left(2).toLower();
    for (int i = 0; i < selector->count(); ++i) {
        if (selector->itemText(i).left(2).toLower() == letter) {
            selector->setCurrentIndex(i);
            return;
        }
    }
    // A drive that is not connected (an unplugged backup drive, no drive c: at all) stays
    // selected, so nothing is ever backed up to or from another drive in its place.
    selector->addItem(letter + QStringLiteral(" (not connected)"), driveText);
    selector->setCurrentIndex(selector->count() - 1);
}

void Form1::FillTimeLists() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    for (QComboBox* list : Combo1) {
        const QString text = list->currentText();
        list->addItems(quarterHourTimes());
        list->setEditText(text);
    }
    QApplication::restoreOverrideCursor();
}

BackupSettings Form1::settings() const {
    BackupSettings s;
    s.startTime = Combo1[0]->currentText();
    s.sourceDrive = driveValue(Drive1);
    s.destinationDrive = driveValue(Drive2);
    for (int row = 0; row < BackupSettings::FolderCount; ++row)
        s.folderNames[row] = Text1[row]->text();
    for (int row = 0; row < 6; ++row)
        s.flags[row] = SSCheck1[row]->isChecked() ? -1 : 0;
    s.lastDate = Text2->text();
    return s;
}

void Form1::applySettings(const BackupSettings& s) {
    Combo1[0]->setEditText(s.startTime);
    for (int row = 0; row < BackupSettings::FolderCount; ++row)
        Text1[row]->setText(s.folderNames[row]);
    acceptedNames_ = s.folderNames;
    Text1[5]->setText(BackupSettings::networkRowText());
    for (int row = 0; row < 6; ++row)
        SSCheck1[row]->setChecked(s.flags[row] != 0);
    Text2->setText(s.lastDate);
    selectDrive(Drive1, s.sourceDrive);
    // Last, because a new destination pops up the drive information and waits.
    selectDrive(Drive2, s.destinationDrive);
}

void Form1::LoadBackupSettings() {
    setup_.load();
}

bool Form1::SaveBackupSettings() {
    return setup_.save();
}

void Form1::ShowBackupStatus() {
    // Only the first four folders count; the fifth and the network flag do not.
    bool on = false;
    for (int row = 0; row < 4 && !on; ++row)
        on = SSCheck1[row]->isChecked();
    SSPanel3->setText(on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    setPanelColours(SSPanel3, on ? colour::Green : colour::Red, colour::ButtonText);
}

void Form1::AddTrayIcon() {
    if (!trayIcon_) {
        trayIcon_ = new TrayIcon(QStringLiteral("Tillora Auto Backup "), windowIcon(), this);
        connect(trayIcon_, &TrayIcon::showRequested, this, &Form1::showMainWindow);
    }
    trayIcon_->add();
}

void Form1::showMainWindow() {
    // A drive plugged in while the window was away shows up in the selectors.
    if (!isVisible() || isMinimized())
        fillDrives();
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void Form1::hideToResident() {
    if (notificationArea_)
        hide();
    else
        showMinimized();
}

void Form1::armResidentTimer() {
    Timer2->start(100);
}

void Form1::setStatusLine(const QString& caption, unsigned int textColour, bool emphasised) {
    SSPanel6->setText(caption);
    QPalette palette = SSPanel6->palette();
    palette.setColor(QPalette::WindowText, toQColor(textColour));
    SSPanel6->setPalette(palette);
    QFont font = SSPanel6->font();
    font.setBold(emphasised);
    SSPanel6->setFont(font);
    SSPanel6->setVisible(true);
}

void Form1::setStatusLineVisible(bool visible) {
    SSPanel6->setVisible(visible);
}

void Form1::setStatusCaption(const QString& caption) {
    SSPanel6->setText(caption);
}

void Form1::setSettingsButtonColour(unsigned int colour) {
    SSCommand5->setStyleSheet(
        QStringLiteral("QPushButton#SSCommand5 { background-color: %1; color: white; }")
            .arg(toQColor(colour).name()));
}

void Form1::showOffsiteProgress(std::optional<int> percent) {
    OffsiteProgress->setVisible(percent.has_value());
    if (percent)
        OffsiteProgress->setValue(std::clamp(*percent, 0, 100));
}

void Form1::showLastRun(const QString& lines, bool attention) {
    LastRunLabel->setText(lines);
    QPalette palette = LastRunLabel->palette();
    palette.setColor(QPalette::WindowText, attention
                                               ? toQColor(colour::Red)
                                               : QApplication::palette().windowText().color());
    LastRunLabel->setPalette(palette);
}

void Form1::announceRun(const QString& title, const QString& text, bool attention) {
    if (!trayIcon_)
        return;
    if (attention)
        trayIcon_->showMessage(title, text);
    else
        trayIcon_->showInformation(title, text);
}

void Form1::refuseQuotedName(int row) {
    QLineEdit* box = Text1[row];
    const auto problem = BackupSettingsFile::folderNameProblem(box->text());
    if (!problem)
        return;
    const int cursor = box->cursorPosition();
    QString cleaned = box->text();
    cleaned.remove(u'"');
    box->setText(cleaned);
    box->setCursorPosition(std::max(0, cursor - 1));
    prompts_.critical(QStringLiteral("Folder Name"), *problem);
}

void Form1::refuseUnsafeName(int row) {
    QLineEdit* box = Text1[row];
    if (isSafeFolderName(box->text())) {
        acceptedNames_[row] = box->text();
        return;
    }
    const QString refused = box->text();
    box->setText(acceptedNames_[row]);
    prompts_.critical(
        QStringLiteral("Folder Name"),
        QStringLiteral("The folder name \"%1\" in the %2 box (row %3) would lead the backup out "
                       "of its folder. Please type the name of a folder on the drive, such as "
                       "\"%2\", without a drive letter, a leading backslash, \"..\" or any of "
                       ": * ? \" < > | /. The box keeps \"%4\".")
            .arg(refused, BackupSettings::defaultFolderNames()[row], QString::number(row + 1),
                 acceptedNames_[row]));
}

void Form1::done() {
    SaveBackupSettings();
    hideToResident();
}

void Form1::setDefault() {
    const auto names = BackupSettings::defaultFolderNames();
    for (int row = 0; row < BackupSettings::FolderCount; ++row)
        Text1[row]->setText(names[row]);
    acceptedNames_ = names;
    SaveBackupSettings();
}

void Form1::end() {
    Terminate();
    Q_EMIT endRequested();
}

void Form1::Terminate() {
    if (terminated_)
        return;
    terminated_ = true;
    if (trayIcon_)
        trayIcon_->remove();
    // A shutdown or logout must end the program: a failed save is told without a box
    // that waits.
    setup_.saveUnattended();
}

void Form1::wireAutostart(Autostart& autostart) {
    StartWithSession = new AutostartBox(autostart, prompts_, this);
    // The box shares the row of the start-up hint, which gives up some of its width.
    resize_->place(SSPanel14, {10, 446, 460, 52});
    resize_->place(StartWithSession, {480, 458, 210, 28});
}

void Form1::closeEvent(QCloseEvent* event) {
    if (terminated_) {
        event->accept();
        return;
    }
    // The close box must not end the nightly backup by accident: it acts as "Done", and
    // only "End" (or the session ending) ends the program.
    event->ignore();
    done();
}

void Form1::showBusy(bool busy) {
    // A new run starts with its own folders, not the last run's.
    if (busy) {
        Label3->clear();
        Label4->clear();
    }
    resize_->moveTop(SSPanel2, busy ? OverlayBusyTop : OverlayRestingTop);
    SSPanel2->setVisible(busy);
    CancelButton->setEnabled(busy);
    if (busy) {
        SSPanel2->raise();
        ProgressBar1->setValue(0);
    }
    // Red while files are being copied, the plain panel text when idle.
    QPalette palette = SSPanel4->palette();
    palette.setColor(QPalette::WindowText, toQColor(busy ? colour::Red : colour::ButtonText));
    SSPanel4->setPalette(palette);
}

void Form1::showStep(const QString& source, const QString& destination) {
    Label3->setText(source);
    Label4->setText(destination);
}

void Form1::setProgressMaximum(int maximum) {
    ProgressBar1->setMaximum(std::max(1, maximum));
}

void Form1::setProgressValue(int value) {
    ProgressBar1->setValue(std::clamp(value, ProgressBar1->minimum(), ProgressBar1->maximum()));
}

void Form1::announceFailure(const QString& title, const QString& text) {
    prompts_.notify({PromptIcon::Critical, PromptButtons::Ok, title, text, PromptAnswer::Ok});
    if (trayIcon_)
        trayIcon_->showMessage(title, text);
}

} // namespace tillora
