#pragma once

#include "SmtpClient.h"

#include "CancelFlag.h"

#include <QPointer>

#include <memory>

class QWidget;

namespace tillora {

class Clock;
class Email2;
class Platform;
class Prompts;
class TLRAtxtMsg;
struct ProgramValues;

// Makes each mail window with its account and server as they are at that moment: the
// account from the texter window's live fields while that window is loaded, otherwise
// from the text settings file; the server from the mail server file.
class Email2Factory {
public:
    Email2Factory(Platform& platform, const ProgramValues& values, const Clock& clock,
                  Prompts& prompts);

    // The loaded texter window, if any; forgotten by itself when that window goes.
    void setTexter(TLRAtxtMsg* texter);
    void setTimeouts(const MailTimeouts& timeouts) { timeouts_ = timeouts; }

    // A new, hidden mail window; it deletes itself when it unloads.
    Email2* create(QWidget* parent = nullptr) const;
    MailAccount currentAccount() const;
    // The program is ending: the mail windows' exchanges give up at once.
    void cancelSends() { cancel_->cancel(); }

private:
    Platform& platform_;
    const ProgramValues& values_;
    const Clock& clock_;
    Prompts& prompts_;
    QPointer<TLRAtxtMsg> texter_;
    MailTimeouts timeouts_;
    std::shared_ptr<CancelFlag> cancel_ = std::make_shared<CancelFlag>();
};

} // namespace tillora
