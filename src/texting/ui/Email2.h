#pragma once

#include "SmtpClient.h"

#include <QWidget>

#include <functional>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tillora {

class CancelFlag;
class Clock;
class Platform;
class Prompts;

// "Send Email": one message per window. A caller fills Text3 (recipient), Text4 (subject)
// and Text5 (body) and calls M1, which sends off the window's thread and then unloads the
// window. A window shown to the operator stays open after a failed send so the fields can
// be corrected.
class Email2 : public QWidget {
    Q_OBJECT

public:
    Email2(Platform& platform, const Clock& clock, Prompts& prompts, const MailServer& server,
           const MailTimeouts& timeouts, const MailAccount& account,
           std::shared_ptr<const CancelFlag> cancel, QWidget* parent = nullptr);

    QLineEdit* Text1;      // sender address and user name
    QLineEdit* Text2;      // password
    QLineEdit* Text3;      // recipient
    QLineEdit* Text4;      // subject
    QPlainTextEdit* Text5; // message
    QPushButton* Command1; // "Send"
    QPushButton* Command2; // "Done"

    // Sends one message from the fields; `done` gets the result once the exchange ends
    // (not when the window was destroyed first).
    void M1(std::function<void(const MailResult&)> done = {});
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
    std::shared_ptr<const CancelFlag> cancel_; // set when the program ends
    bool sending_ = false;
};

} // namespace tillora
