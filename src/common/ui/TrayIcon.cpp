#include "TrayIcon.h"

#include <QSystemTrayIcon>

namespace tillora {

TrayIcon::TrayIcon(const QString& firstLine, const QIcon& icon, QObject* parent)
    : QObject(parent)
    , icon_(new QSystemTrayIcon(icon, this)) {
    // Tooltips break lines on LF; the stored tip keeps its CR.
    icon_->setToolTip(tipText(firstLine).replace(u'\r', u'\n'));
    connect(icon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                case QSystemTrayIcon::Trigger:
                    handleMessage(514);
                    break;
                case QSystemTrayIcon::DoubleClick:
                    handleMessage(515);
                    break;
                case QSystemTrayIcon::Context:
                    handleMessage(517);
                    break;
                case QSystemTrayIcon::MiddleClick:
                case QSystemTrayIcon::Unknown:
                    break;
                }
            });
}

TrayIcon::~TrayIcon() = default;

QString TrayIcon::tipText(const QString& firstLine) {
    return firstLine + u'\r' + QStringLiteral("Click Here to view Settings ");
}

bool TrayIcon::messageShowsWindow(int messageCode) {
    return messageCode >= 513 && messageCode <= 518;
}

bool TrayIcon::notificationAreaAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIcon::add() {
    icon_->show();
}

void TrayIcon::remove() {
    icon_->hide();
}

bool TrayIcon::isShown() const {
    return icon_->isVisible();
}

void TrayIcon::showMessage(const QString& title, const QString& text) {
    if (icon_->isVisible() && QSystemTrayIcon::supportsMessages())
        icon_->showMessage(title, text, QSystemTrayIcon::Critical);
}

void TrayIcon::showInformation(const QString& title, const QString& text) {
    if (icon_->isVisible() && QSystemTrayIcon::supportsMessages())
        icon_->showMessage(title, text, QSystemTrayIcon::Information);
}

void TrayIcon::handleMessage(int messageCode) {
    if (messageShowsWindow(messageCode))
        Q_EMIT showRequested();
}

} // namespace tillora
