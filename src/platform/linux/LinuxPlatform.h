#pragma once

#include "DriveFolder.h"
#include "MountTable.h"
#include "Platform.h"

#include <functional>

namespace tillora {

// Linux: drive letters come from a Wine-style drive folder, profile folders from the
// Wine prefix around it, the network re-mapping is a `gio mount` of the share. A drive
// whose folder is a mount point with nothing mounted on it is not connected.
class LinuxPlatform : public Platform {
public:
    explicit LinuxPlatform(const QString& driveFolder);

    const DriveFolder& driveFolder() const { return drives_; }
    // Where the mount points come from; the system's files unless a test says otherwise.
    void setMountTable(std::function<MountTable()> source) { mountTable_ = std::move(source); }

    QString nativePath(const QString& windowsPath) const override;
    QStringList drives() const override;
    std::optional<DiskSpace> diskSpace(const QString& windowsPath) const override;
    ProfileFolders profileFolders() const override;
    bool startDetached(const Command& command) override;
    Command remapCommand(const QString& letter, const QString& share) const override;
    Command editorCommand(const QString& nativeFile) const override;
    QStringList printerNames() const override;
    std::unique_ptr<InstanceLock> claimSingleInstance(const QString& programName) override;
    QString instanceSocketName(const QString& programName) const override;
    // An flock on a file every user may open, in /run/lock (else the temporary folder).
    std::unique_ptr<InstanceLock> claimMachineWide(const QString& name) override;
    // As Wine keeps it: a ".windows-serial" file (hexadecimal) in the drive's top folder.
    std::optional<quint32> volumeSerial(const QString& drive) const override;
    bool lockWholeFile(QFile& file) override;
    void unlockWholeFile(QFile& file) override;
    bool flushFile(QFile& openFile) override;
    bool flushFileSystem(const QString& windowsPath) override;
    ReadBackEnd readBack(const std::filesystem::path& nativePath,
                         const std::function<bool(const char*, qint64)>& take) override;
    QString whyNotReplaceable(const std::filesystem::path& nativePath) const override;

private:
    DriveFolder drives_;
    std::function<MountTable()> mountTable_ = &MountTable::read;
};

} // namespace tillora
