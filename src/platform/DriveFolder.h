#pragma once

#include <QString>
#include <QStringList>

namespace tillora {

// Drive letters on a machine without them: a folder in Wine's dosdevices layout whose
// entries "c:", "d:", ... are links to (or are) the folders that act as those drives.
class DriveFolder {
public:
    explicit DriveFolder(QString folder);

    // $WINEPREFIX/dosdevices, else ~/.wine/dosdevices.
    static QString defaultFolder();

    const QString& folder() const { return folder_; }

    // "c:\Tillora\ini" -> "<folder>/c:/Tillora/ini", each existing component matched
    // without regard to case, missing components spelled as given. A path without a
    // drive letter stays relative, with slashes.
    QString resolve(const QString& windowsPath) const;

    // The lower-case letters with a colon ("c:", "e:") of the drives present, in order.
    QStringList letters() const;

    // The native folder of a drive letter ("e:"), empty when there is no such drive.
    QString driveRoot(const QString& letter) const;

private:
    QString folder_;
};

// Matches one path component in `directory` without regard to case; returns the name
// as it exists, or `component` unchanged when nothing matches.
QString matchComponent(const QString& directory, const QString& component);

} // namespace tillora
