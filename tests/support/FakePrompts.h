#pragma once

#include "Prompts.h"

#include <QList>
#include <QQueue>

namespace tillora::test {

// Records every prompt and answers it with the next answer the test queued (the default
// answer of the request when none is queued).
class FakePrompts final : public Prompts {
public:
    struct Input {
        QString prompt, title, defaultText;
    };

    PromptAnswer ask(const PromptRequest& request) override {
        asked.append(request);
        if (answers.isEmpty())
            return request.defaultAnswer;
        return answers.dequeue();
    }
    void notify(const PromptRequest& request) override { notified.append(request); }
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override {
        inputs.append({prompt, title, defaultText});
        if (inputAnswers.isEmpty())
            return std::nullopt;
        return inputAnswers.dequeue();
    }

    QList<PromptRequest> asked;
    QList<PromptRequest> notified;
    QList<Input> inputs;
    QQueue<PromptAnswer> answers;
    QQueue<std::optional<QString>> inputAnswers;
};

} // namespace tillora::test
