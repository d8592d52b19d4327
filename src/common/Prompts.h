#pragma once

#include <QString>

#include <optional>

namespace tillora {

enum class PromptIcon { None, Critical, Warning, Information, Question };
enum class PromptButtons { Ok, YesNo };
enum class PromptAnswer { Ok, Yes, No };

struct PromptRequest {
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    QString title;
    QString text;
    PromptAnswer defaultAnswer = PromptAnswer::Ok;
};

// Every message box and input box of the system goes through this seam, so tests
// answer them and logic never opens a dialog by itself.
class Prompts {
public:
    virtual ~Prompts() = default;
    // A modal message box; returns the button pressed.
    virtual PromptAnswer ask(const PromptRequest& request) = 0;
    // A message that does not block the caller (a long-running job reporting a failure).
    virtual void notify(const PromptRequest& request) = 0;
    // A modal input box; nothing when cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& defaultText) = 0;

    // The usual "critical icon, OK button" message.
    void critical(const QString& title, const QString& text) {
        ask({PromptIcon::Critical, PromptButtons::Ok, title, text, PromptAnswer::Ok});
    }
};

} // namespace tillora
