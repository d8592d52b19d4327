#pragma once

#include "HostPlatform.h"

#include <QDir>
#include <QList>
#include <QMap>

#include <cerrno>
#include <functional>

namespace tillora::test {

// The real path and drive handling over a test drive folder, with the operations that
// reach outside the test recorded or answered from fields the test sets.
class FakePlatform final : public HostPlatform {
public:
    explicit FakePlatform(const QString& driveFolder)
        : HostPlatform(driveFolder)
        , userSettings(QDir(driveFolder).filePath(QStringLiteral("../user-settings"))) {}

    QStringList drives() const override {
        return driveTexts ? *driveTexts : HostPlatform::drives();
    }
    std::optional<DiskSpace> diskSpace(const QString& windowsPath) const override {
        if (spaceOf)
            return spaceOf(windowsPath);
        const QString letter = windowsPath.left(2).toLower();
        if (space.contains(letter))
            return space.value(letter);
        return std::nullopt;
    }
    ProfileFolders profileFolders() const override { return profiles; }
    QString userSettingsFolder() const override { return userSettings; }
    bool startDetached(const Command& command) override {
        started.append(command);
        if (onStart)
            onStart(command);
        return startSucceeds;
    }
    QStringList printerNames() const override { return printers; }
    std::unique_ptr<InstanceLock> claimSingleInstance(const QString& programName) override {
        claimedInstances.append(programName);
        if (anotherInstanceRuns)
            return nullptr;
        return std::make_unique<InstanceLock>();
    }

    // The run lock of the machine; held by another user's run while `anotherUserBacksUp`.
    std::unique_ptr<InstanceLock> claimMachineWide(const QString&) override {
        return anotherUserBacksUp ? nullptr : std::make_unique<InstanceLock>();
    }

    // The flushes are recorded, not done (a real syncfs would wait for everything else
    // this machine writes): "file" for each file flushed before its rename, "file
    // system <path>" for a whole file system.
    bool flushFile(QFile&) override {
        flushes.append(QStringLiteral("file"));
        if (onFlush)
            onFlush(flushes.last());
        return flushSucceeds;
    }
    bool flushFileSystem(const QString& windowsPath) override {
        flushes.append(QStringLiteral("file system ") + windowsPath);
        if (onFlush)
            onFlush(flushes.last());
        return flushSucceeds;
    }

    // Files named in `unreadable` cannot be opened, as for a user without the right.
    int openSourceFile(const std::filesystem::path& nativePath) const override {
        if (unreadable.contains(displayName(nativePath.filename()))) {
            errno = EACCES;
            return -1;
        }
        return HostPlatform::openSourceFile(nativePath);
    }

    // Told before each file is read back from the backup drive (a test pulls the drive).
    ReadBackEnd readBack(const std::filesystem::path& nativePath,
                         const std::function<bool(const char*, qint64)>& take) override {
        if (beforeReadBack)
            beforeReadBack(nativePath);
        return HostPlatform::readBack(nativePath, take);
    }

    std::optional<QStringList> driveTexts; // replaces the listed drives when set
    QMap<QString, DiskSpace> space;        // by drive letter "e:"
    std::function<std::optional<DiskSpace>(const QString&)> spaceOf; // wins over `space`
    ProfileFolders profiles;
    QString userSettings; // beside the drives: each test has its own
    QStringList printers;
    QList<Command> started;
    std::function<void(const Command&)> onStart;
    bool startSucceeds = true;
    bool anotherInstanceRuns = false;
    QStringList claimedInstances;
    bool anotherUserBacksUp = false;
    QStringList flushes;
    std::function<void(const QString&)> onFlush;
    bool flushSucceeds = true;
    QStringList unreadable; // file names
    std::function<void(const std::filesystem::path&)> beforeReadBack;
};

} // namespace tillora::test
