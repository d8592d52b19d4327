#pragma once

#include "LinuxPlatform.h"

namespace tillora::test {

// The Linux programs the tests start (openssl, python3, restic, rclone), by full path,
// and a path of this machine as those programs take it: here, the same.
inline QString linuxProgram(const QString& name) {
    return QStringLiteral("/usr/bin/") + name;
}
inline QString pathForLinux(const QString& path) {
    return path;
}
// The program that runs the shell script at `script` (made executable by its writer).
inline QString shellScriptProgram(const QString& script) {
    return script;
}
// The host name the clients give for the test servers on 127.0.0.1.
inline const QString TestServerHost = QStringLiteral("127.0.0.1");
// A TLS client given no CA file checks a server's certificate against the system's store.
inline constexpr bool SystemStoreChecksCertificates = true;

// Files carry owner, group and other permission bits.
inline constexpr bool PermissionBitsAreKept = true;
// A file name is bytes, which need not be valid text.
inline constexpr bool NamesAreBytes = true;
// QFile::link makes a symbolic link, which leads to its target.
inline constexpr bool LinksAreShortcutFiles = false;

// Opens a test that runs the real restic; it runs here.
#define TILLORA_TEST_RUNS_RESTIC() static_cast<void>(0)

// This machine's platform over a test's drive folder (the dosdevices layout of TempDrives).
class HostPlatform : public LinuxPlatform {
public:
    explicit HostPlatform(const QString& driveFolder)
        : LinuxPlatform(driveFolder) {}
};

} // namespace tillora::test
