#pragma once

#include <QCheckBox>

#include <functional>
#include <optional>

namespace tillora {

class Prompts;

// The "Start with the desktop session" box of both programs' main windows. It shows
// whether the session starts the program and switches that; a switch that fails is
// undone on the box and its reason told.
class AutostartBox : public QCheckBox {
    Q_OBJECT

public:
    // Switches the entry; nothing when it worked, otherwise why it did not.
    using Switch = std::function<std::optional<QString>(bool on)>;

    AutostartBox(std::function<bool()> isOn, Switch setOn, Prompts& prompts, QWidget* parent);

    // `autostart` is the session's entry of the program (isOn(), setOn(bool) giving ok and
    // reason); it must outlive the box.
    template <typename Autostart>
    AutostartBox(Autostart& autostart, Prompts& prompts, QWidget* parent)
        : AutostartBox([&autostart] { return autostart.isOn(); },
                       [&autostart](bool on) -> std::optional<QString> {
                           const auto change = autostart.setOn(on);
                           if (change.ok)
                               return std::nullopt;
                           return change.reason;
                       },
                       prompts, parent) {}
};

} // namespace tillora
