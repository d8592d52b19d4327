#pragma once

#include "Prompts.h"

class QWidget;

namespace tillora {

// Prompts shown as real message boxes and input boxes.
class WidgetPrompts final : public Prompts {
public:
    explicit WidgetPrompts(QWidget* parent = nullptr)
        : parent_(parent) {}

    PromptAnswer ask(const PromptRequest& request) override;
    void notify(const PromptRequest& request) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;

private:
    QWidget* parent_;
};

} // namespace tillora
