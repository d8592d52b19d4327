#include "WidgetPrompts.h"

#include <QInputDialog>
#include <QMessageBox>

namespace tillora {

namespace {

QMessageBox::Icon toIcon(PromptIcon icon) {
    switch (icon) {
    case PromptIcon::Critical:
        return QMessageBox::Critical;
    case PromptIcon::Warning:
        return QMessageBox::Warning;
    case PromptIcon::Information:
        return QMessageBox::Information;
    case PromptIcon::Question:
        return QMessageBox::Question;
    case PromptIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox* makeBox(const PromptRequest& request, QWidget* parent) {
    auto* box = new QMessageBox(toIcon(request.icon), request.title, request.text,
                                QMessageBox::NoButton, parent);
    if (request.buttons == PromptButtons::YesNo) {
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(request.defaultAnswer == PromptAnswer::No ? QMessageBox::No
                                                                        : QMessageBox::Yes);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
    }
    return box;
}

} // namespace

PromptAnswer WidgetPrompts::ask(const PromptRequest& request) {
    QMessageBox* box = makeBox(request, parent_);
    const int result = box->exec();
    delete box;
    if (request.buttons == PromptButtons::YesNo)
        return result == QMessageBox::Yes ? PromptAnswer::Yes : PromptAnswer::No;
    return PromptAnswer::Ok;
}

void WidgetPrompts::notify(const PromptRequest& request) {
    QMessageBox* box = makeBox(request, parent_);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

std::optional<QString> WidgetPrompts::input(const QString& prompt, const QString& title,
                                            const QString& defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

} // namespace tillora
