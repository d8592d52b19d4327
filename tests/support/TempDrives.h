#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace tillora::test {

// A temporary drive folder in the dosdevices layout: each added drive is a real folder
// "drive_<letter>" beside the "dosdevices" folder, linked from "dosdevices/<letter>:".
class TempDrives {
public:
    TempDrives();

    QString driveFolder() const; // the dosdevices folder
    // Adds drive `letter` ('c'); returns its native root folder.
    QString addDrive(char letter, const QString& label = {});
    // Removes the drive's folder but leaves its link, like a pulled USB drive.
    void pullDrive(char letter);
    // Native root of a drive.
    QString root(char letter) const;
    // Writes a file below a drive root, creating folders ("c", "Tillora/ini/x.dat").
    QString writeFile(char letter, const QString& relativePath, const QByteArray& bytes);
    QByteArray readFile(char letter, const QString& relativePath) const;
    bool exists(char letter, const QString& relativePath) const;

private:
    QTemporaryDir dir_;
};

} // namespace tillora::test
