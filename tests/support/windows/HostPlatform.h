#pragma once

#include "WindowsPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tillora::test {

// The Linux programs the tests start (openssl, python3, restic, rclone) run on the Linux
// side: each is started as a copy of linux-program.exe named after it, which has
// linux_programs.py run it and relays its output and exit code (tests/wine/). Drive Z: is
// the Linux root, where the tests' temporary folder is too, so a path on Z: is a Linux
// path without its drive.
inline QString linuxProgram(const QString& name) {
    return QStringLiteral(TILLORA_LINUX_PROGRAMS_DIR "/") + name + QStringLiteral(".exe");
}
inline QString pathForLinux(const QString& path) {
    QString linux = QDir::fromNativeSeparators(path);
    if (linux.startsWith(QLatin1String("z:/"), Qt::CaseInsensitive))
        linux.remove(0, 2);
    return linux;
}
// The program that runs the shell script at `script`: a copy of linux-program.exe beside
// it, which "<script>.linux" tells to run the script with /bin/sh.
inline QString shellScriptProgram(const QString& script) {
    const QString program = script + QStringLiteral(".exe");
    QFile::remove(program);
    QFile::copy(linuxProgram(QStringLiteral("sh")), program);
    QFile command(script + QStringLiteral(".linux"));
    if (command.open(QIODevice::WriteOnly))
        command.write("/bin/sh\n" + pathForLinux(script).toUtf8() + '\n');
    return program;
}
// Wine's TLS (Schannel) matches a certificate's DNS name, but not its IP address.
inline const QString TestServerHost = QStringLiteral("localhost");
// A TLS client given no CA file should check a server's certificate against the system's
// store; Wine's Schannel takes any certificate then.
inline constexpr bool SystemStoreChecksCertificates = false;

// Access to a file is in its access list (a file under the user's profile is the user's
// own); Qt and the C runtime show only the read-only attribute as permission bits.
inline constexpr bool PermissionBitsAreKept = false;
// A file name is UTF-16 text.
inline constexpr bool NamesAreBytes = false;
// QFile::link makes a shortcut: a file of its own under the name given, which only the
// shell follows.
inline constexpr bool LinksAreShortcutFiles = true;

// Opens a test that runs the real restic. Debian has no restic for Windows, and the
// Linux one cannot read the Windows paths of the list of files and the repository the
// copy gives it: such a test is skipped, saying so.
#define TILLORA_TEST_RUNS_RESTIC()                                                                 \
    QSKIP("it runs restic, which is not built for Windows here; the Linux restic cannot read "     \
          "the Windows paths the off-site copy gives it")

// This machine's platform, with the test's drives in place of the real ones: drive "e:"
// is the folder "drive_e" beside the drive folder TempDrives made (Windows has no names
// with a colon, so there are no "dosdevices/e:" links), labelled by its ".windows-label".
// Everything else (locks, flushes, processes) is the real Windows side.
class HostPlatform : public WindowsPlatform {
public:
    explicit HostPlatform(const QString& driveFolder)
        : base_(QDir(driveFolder).filePath(QStringLiteral(".."))) {}

    QString nativePath(const QString& windowsPath) const override {
        QString path = windowsPath;
        path.replace(u'\\', u'/');
        if (path.size() < 2 || path.at(1) != u':' || !path.at(0).isLetter())
            return path;
        return QDir::cleanPath(driveRoot(path.at(0)) + u'/' + path.mid(2));
    }

    QStringList drives() const override {
        QStringList texts;
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            const QString root = driveRoot(QChar::fromLatin1(letter));
            if (!QFileInfo(root).isDir())
                continue;
            const QString name = QChar::fromLatin1(letter) + QStringLiteral(":");
            QFile labelFile(QDir(root).filePath(QStringLiteral(".windows-label")));
            const QString label = labelFile.open(QIODevice::ReadOnly)
                                      ? QString::fromUtf8(labelFile.readLine()).trimmed()
                                      : QString();
            texts.append(label.isEmpty() ? name : name + QStringLiteral(" [") + label + u']');
        }
        return texts;
    }

    // Read as Wine reads it, from the drive folder's ".windows-serial".
    std::optional<quint32> volumeSerial(const QString& drive) const override {
        if (drive.isEmpty() || !drive.at(0).isLetter())
            return std::nullopt;
        QFile file(QDir(driveRoot(drive.at(0))).filePath(QStringLiteral(".windows-serial")));
        bool ok = false;
        const quint32 serial =
            file.open(QIODevice::ReadOnly) ? file.readLine(64).trimmed().toUInt(&ok, 16) : 0;
        return ok ? std::optional<quint32>(serial) : std::nullopt;
    }

private:
    QString driveRoot(QChar letter) const {
        return QDir::cleanPath(base_ + QStringLiteral("/drive_") + letter.toLower());
    }

    QString base_;
};

} // namespace tillora::test
