#pragma once

#include "SessionAutostart.h"

namespace tillora {

// A program's shortcut "<title>.lnk" in the all-users Startup folder: the shortcut the
// installer offers and the "Windows Startup" window lists. That folder is the
// administrators' to change, so a user without those rights is told why the switch failed.
class StartupShortcut : public Autostart {
public:
    StartupShortcut(AutostartProgram program, QString folder = defaultFolder());

    // The all-users Startup folder; empty when the system names none.
    static QString defaultFolder();

    QString path() const;

    bool isOn() const override;
    // Writes the shortcut (to the program, started in its own folder) or removes it.
    AutostartChange setOn(bool on) override;

private:
    AutostartProgram program_;
    QString folder_;
};

} // namespace tillora
