#pragma once

#include "FileSave.h"
#include "KitchenSchedule.h"

#include <QString>

#include <optional>

namespace tillora {

class Platform;
struct ProgramValues;

// The files of kitchen printer 2: the point-of-sale settings it takes its data folder and
// banner from, the schedule file "TlraKP2Ini.dat" and the marker "dontprint.txt" whose
// presence switches the printer on. Paths are built from `DataDIR` as it stands at each
// call and reached through the platform's path conversion.
class Printer2Files {
public:
    Printer2Files(Platform& platform, ProgramValues& values);

    static QString settingsFilePath(); // "C:\tillora\TlraIni.dat"
    QString schedulePath() const;      // DataDIR + "TlraKP2Ini.dat"
    QString markerPath() const;        // DataDIR + "dontprint.txt"

    // When the point-of-sale settings file exists: sets `DataDIR` from its data folder
    // field and returns its company name for the banner. A blank data folder field keeps
    // `DataDIR`, so the marker never lands in whatever folder the program started in.
    std::optional<QString> readBannerSettings();

    // The saved schedule; nothing when there is no schedule file or it cannot be read.
    std::optional<KitchenSchedule> loadSchedule() const;
    // Rewrites the schedule file in one step.
    SaveResult saveSchedule(const KitchenSchedule& schedule) const;

    // Creates the empty marker; false when it could not be created.
    bool switchOn() const;
    // Deletes the marker; true when it is gone (also when it was never there).
    bool switchOff() const;
    bool markerPresent() const;

private:
    QString native(const QString& windowsPath) const;

    Platform& platform_;
    ProgramValues& values_;
};

} // namespace tillora
