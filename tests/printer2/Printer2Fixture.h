#pragma once

#include "FakePlatform.h"
#include "ProgramValues.h"
#include "TempDrives.h"

#include <QByteArray>
#include <QDir>

namespace tillora::test {

// A drive C with the point-of-sale folder c:\Tillora\, a platform over it and the program values.
struct Printer2Fixture {
    Printer2Fixture() { QDir(drives.addDrive('c')).mkpath(QStringLiteral("Tillora")); }

    // A settings record with the company name and data folder in their fields.
    static QByteArray settingsRecord(const QByteArray& company, const QByteArray& dataFolder) {
        QByteArray bytes(2300, ' ');
        bytes.replace(0, company.size(), company);
        bytes.replace(190, dataFolder.size(), dataFolder);
        return bytes;
    }

    TempDrives drives;
    FakePlatform platform{drives.driveFolder()};
    ProgramValues values;
};

} // namespace tillora::test
