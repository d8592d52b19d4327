#pragma once

#include <QObject>
#include <QString>

class QSystemTrayIcon;
class QIcon;

namespace tillora {

// The notification-area icon of a resident window. Where the desktop has no notification
// area the icon cannot be shown, and the owner keeps its window reachable instead
// (minimised rather than hidden).
class TrayIcon : public QObject {
    Q_OBJECT

public:
    // `firstLine` is the program's name line of the two-line tip ("Tillora Auto Backup ").
    TrayIcon(const QString& firstLine, const QIcon& icon, QObject* parent = nullptr);
    ~TrayIcon() override;

    // The tip as the system stores it: first line, CR, "Click Here to view Settings ".
    static QString tipText(const QString& firstLine);
    // Whether a mouse message code of the icon shows the window: the left button's down,
    // up and double-click (513-515) and the right button's (516-518).
    static bool messageShowsWindow(int messageCode);

    static bool notificationAreaAvailable();

    void add();    // puts the icon into the notification area
    void remove(); // takes it out again
    bool isShown() const;
    // A balloon message, where the notification area shows them.
    void showMessage(const QString& title, const QString& text);
    // The same with the information icon: news, not a failure.
    void showInformation(const QString& title, const QString& text);
    // Feeds a mouse message code as the Windows icon callback delivers it.
    void handleMessage(int messageCode);

Q_SIGNALS:
    // A click or double click on the icon: the owner shows its window.
    void showRequested();

private:
    QSystemTrayIcon* icon_;
};

} // namespace tillora
