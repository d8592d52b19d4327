#pragma once

#include <QString>

namespace tillora {

// The drive folder a program last ran with, kept in the user's own settings folder, so
// that a start from the desktop menu, which sets no WINEPREFIX, finds the store again.
class DriveFolderMemory {
public:
    // `settingsFolder` is the program's own folder (~/.config/<program>).
    explicit DriveFolderMemory(QString settingsFolder);

    QString recalled() const;
    // Keeps `driveFolder` when it exists: a start against a missing folder (a mistyped
    // WINEPREFIX) must not make the next start forget the store.
    bool remember(const QString& driveFolder) const;

    // WINEPREFIX's drive folder when the variable is set; else the remembered one while
    // it exists; else ~/.wine/dosdevices.
    QString choose(const QString& winePrefix) const;

private:
    QString filePath() const;

    QString folder_;
};

// The WINEPREFIX a drive folder belongs to ("<prefix>/dosdevices"); empty otherwise.
QString winePrefixOf(const QString& driveFolder);

} // namespace tillora
