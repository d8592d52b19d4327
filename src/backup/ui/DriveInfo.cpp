#include "DriveInfo.h"

#include "DriveSpaceFigures.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tillora {

namespace {

QLineEdit* readOnlyBox(const QString& name, QWidget* parent) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setReadOnly(true);
    return box;
}

QLabel* label(const QString& text, QWidget* parent, bool bold = false) {
    auto* l = new QLabel(text, parent);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignCenter);
    if (bold) {
        QFont font = l->font();
        font.setBold(true);
        l->setFont(font);
    }
    return l;
}

} // namespace

DriveInfo::DriveInfo(const Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , Text1(readOnlyBox(QStringLiteral("Text1"), this))
    , Text2(readOnlyBox(QStringLiteral("Text2"), this))
    , Text3(readOnlyBox(QStringLiteral("Text3"), this))
    , Text4(readOnlyBox(QStringLiteral("Text4"), this))
    , Command1(new QPushButton(QStringLiteral("Get Info"), this))
    , Command2(new QPushButton(QStringLiteral("Done"), this))
    , platform_(platform) {
    setObjectName(QStringLiteral("DriveInfo"));
    setWindowTitle(QStringLiteral("Drive Info"));
    setAttribute(Qt::WA_DeleteOnClose);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command2->setObjectName(QStringLiteral("Command2"));
    Text1->setMaximumWidth(60);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label(QStringLiteral("Drive Size and Space Available"), this, true));
    auto* drive = new QHBoxLayout;
    drive->addWidget(Text1);
    drive->addWidget(Text4);
    layout->addLayout(drive);
    layout->addWidget(Text2);
    layout->addWidget(Text3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    layout->addLayout(buttons);
    layout->addWidget(label(QStringLiteral("Click DONE to close this Window"), this));
    layout->addWidget(
        label(QStringLiteral("To view your settings click the icon in the system tray"), this));
    layout->addWidget(
        label(QStringLiteral("Window will automatically close in just a few seconds"), this));
    setMinimumWidth(360);

    connect(Command1, &QPushButton::clicked, this, &DriveInfo::CalculateValues);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);
}

void DriveInfo::CalculateValues() {
    const DriveSpaceLines lines = DriveSpaceLines::of(platform_.diskSpace(Text1->text()));
    Text2->setText(lines.capacity);
    Text3->setText(lines.free);
}

DriveInfoPopup::DriveInfoPopup(const Platform& platform, QObject* parent)
    : QObject(parent)
    , platform_(platform) {
    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, &DriveInfoPopup::hideWindow);
}

DriveInfoPopup::~DriveInfoPopup() {
    delete window_.data();
}

void DriveInfoPopup::popUp(const QString& driveText) {
    if (!window_)
        window_ = new DriveInfo(platform_);
    window_->show();
    placeClearOfOthers();
    window_->raise();
    window_->Text1->setText(driveText.left(2));
    window_->Text4->setText(driveText);
    window_->CalculateValues();
    hideTimer_.start(pauseDuration);
}

void DriveInfoPopup::placeClearOfOthers() {
    if (!keepClearOf_ || !keepClearOf_->isVisible())
        return;
    const QRect other = keepClearOf_->frameGeometry();
    const QRect mine = window_->frameGeometry();
    if (!mine.intersects(other))
        return;
    // Below the other window when the screen has room there, else above it.
    const QScreen* screen = keepClearOf_->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    constexpr int Gap = 8;
    int top = other.bottom() + Gap;
    if (available.isValid() && top + mine.height() > available.bottom())
        top = std::max(available.top(), other.top() - Gap - mine.height());
    window_->move(other.left() + (other.width() - mine.width()) / 2, top);
}

void DriveInfoPopup::hideWindow() {
    if (window_)
        window_->hide();
}

} // namespace tillora
