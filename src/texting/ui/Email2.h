#pragma once

#include "SmtpClient.h"

#include <QWidget>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tillora {

class Clock;
class Platform;
class Prompts;

// "Send Email": one message per window. A caller fills Text3 (recipient), Text4 (subject)
// and Text5 (body) and calls M1, which sends and then unloads the window. A window shown
// to the operator stays open after a failed send so the fields can be corrected.
class Email2 : public QWidget {
    Q_OBJECT

public:
    Email2(Platform& platform, const Clock& clock, Prompts& prompts, const MailServer& server,
           const MailTimeouts& timeouts, const MailAccount& account, QWidget* parent = nullptr);

    QLineEdit* Text1;      // sender address and user name
    QLineEdit* Text2;      // password
    QLineEdit* Text3;      // recipient
    QLineEdit* Text4;      // subject
    QPlainTextEdit* Text5; // message
    QPushButton* Command1; // "Send"
    QPushButton* Command2; // "Done"

    // Sends one message from the fields; the window thread keeps running meanwhile.
    MailResult M1();
    bool sending() const { return sending_; }

Q_SIGNALS:
    void sendFinished(bool ok, const QString& reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void copyPosSettingsForMail();
    void sendClicked();

    Platform& platform_;
    const Clock& clock_;
    Prompts& prompts_;
    MailServer server_;
    MailTimeouts timeouts_;
    bool sending_ = false;
};

} // namespace tillora
