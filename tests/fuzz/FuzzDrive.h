#pragma once

#include "FuzzInput.h"
#include "Platform.h"
#include "ProgramValues.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace tillora::fuzz {

// Drive c: as a folder in the drive-letter layout, and the real platform over it, so a
// harness reaches a reader through the same paths the program uses.
struct FuzzDrive {
    FuzzDrive() {
        const QDir root(folder.path());
        root.mkpath(QStringLiteral("drive_c/Tillora/ini"));
        root.mkpath(QStringLiteral("drive_c/shiftra/Data"));
        root.mkpath(QStringLiteral("dosdevices"));
        QFile::link(root.filePath(QStringLiteral("drive_c")),
                    root.filePath(QStringLiteral("dosdevices/c:")));
        platform = createPlatform(root.filePath(QStringLiteral("dosdevices")));
    }

    // Puts `bytes` into the file at a program path ("c:\Tillora\ini\BackupHistory.log"),
    // plainly: a synced, atomic write would cost more than the reading under test.
    void write(const QString& windowsPath, const QByteArray& bytes) const {
        QFile file(platform->nativePath(windowsPath));
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                    file.write(bytes) == bytes.size(),
                "the input is written");
    }

    QTemporaryDir folder;
    std::unique_ptr<Platform> platform;
    ProgramValues values;
};

} // namespace tillora::fuzz
