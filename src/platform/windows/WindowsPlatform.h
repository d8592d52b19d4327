#pragma once

#include "Platform.h"

namespace tillora {

// Windows: the platform seam over the Win32 layer (Win32Api.h). Paths are native as they
// stand; drive letters, labels and shares come from the system itself.
class WindowsPlatform : public Platform {
public:
    QString nativePath(const QString& windowsPath) const override;
    QStringList drives() const override;
    std::optional<DiskSpace> diskSpace(const QString& windowsPath) const override;
    ProfileFolders profileFolders() const override;
    // Runs hidden, except the text editor, which comes up maximised for the operator.
    bool startDetached(const Command& command) override;
    Command remapCommand(const QString& letter, const QString& share) const override;
    Command editorCommand(const QString& nativeFile) const override;
    QStringList printerNames() const override;
    std::unique_ptr<InstanceLock> claimSingleInstance(const QString& programName) override;
    QString instanceSocketName(const QString& programName) const override;
    std::unique_ptr<InstanceLock> claimMachineWide(const QString& name) override;
    // SetThreadExecutionState: the system stays up, the screen may go dark.
    std::unique_ptr<SystemHold> keepAwake() override;
    std::optional<quint32> volumeSerial(const QString& drive) const override;
    bool lockWholeFile(QFile& file) override;
    void unlockWholeFile(QFile& file) override;
    bool flushFile(QFile& openFile) override;
    bool flushFileSystem(const QString& windowsPath) override;
    ReadBackEnd readBack(const std::filesystem::path& nativePath,
                         const std::function<bool(const char*, qint64)>& take) override;
    QString whyNotReplaceable(const std::filesystem::path& nativePath) const override;
};

} // namespace tillora
