#pragma once

#include <QString>

namespace tillora {

// One program as the desktop session starts it.
struct AutostartProgram {
    QString name;       // file and icon name: "tillora-backup"
    QString title;      // the menu name: "Tillora Auto Backup"
    QString comment;    // one line on what it does
    QString executable; // native path of the program
    QString winePrefix; // the WINEPREFIX it runs with; empty for none
};

struct AutostartChange {
    bool ok = false;
    QString reason; // empty on success
};

// Whether the desktop session starts a program at logon, and switching that.
class Autostart {
public:
    virtual ~Autostart() = default;

    virtual bool isOn() const = 0;
    virtual AutostartChange setOn(bool on) = 0;
};

// A program's entry in the desktop session's autostart folder (the XDG autostart
// layout: ~/.config/autostart/<name>.desktop). The entry starts the program with
// the WINEPREFIX it runs with now, so it finds the same drives after a restart.
class SessionAutostart : public Autostart {
public:
    SessionAutostart(AutostartProgram program, QString folder = defaultFolder());

    // $XDG_CONFIG_HOME/autostart, else ~/.config/autostart.
    static QString defaultFolder();

    const AutostartProgram& program() const { return program_; }
    QString entryPath() const;

    // The entry exists and the desktop has not been told to skip it.
    bool isOn() const override;
    // Writes (atomically) or removes the entry.
    AutostartChange setOn(bool on) override;

    // The entry's text; empty when a value cannot be written into a desktop entry.
    static QByteArray entryText(const AutostartProgram& program);

private:
    AutostartProgram program_;
    QString folder_;
};

} // namespace tillora
