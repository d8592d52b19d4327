#include "AutostartBox.h"

#include "Prompts.h"

namespace tillora {

AutostartBox::AutostartBox(std::function<bool()> isOn, Switch setOn, Prompts& prompts,
                           QWidget* parent)
    : QCheckBox(QStringLiteral("Start with the desktop session"), parent) {
    setObjectName(QStringLiteral("StartWithSession"));
    setChecked(isOn());
    connect(this, &QCheckBox::clicked, this,
            [this, isOn, setOn = std::move(setOn), &prompts](bool on) {
                const std::optional<QString> failure = setOn(on);
                if (!failure)
                    return;
                setChecked(isOn());
                prompts.critical(text(), *failure);
            });
}

} // namespace tillora
