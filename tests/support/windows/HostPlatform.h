#pragma once

#include "WindowsPlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tillora::test {

// The Linux programs the tests start (openssl, python3, restic, rclone): Wine runs them
// as Linux processes. Drive Z: is the Linux root, where the tests' temporary folder is
// too, so a path on Z: is a Linux path without its drive.
inline QString linuxProgram(const QString& name) {
    return QStringLiteral("Z:/usr/bin/") + name;
}
inline QString pathForLinux(const QString& path) {
    QString linux = QDir::fromNativeSeparators(path);
    if (linux.startsWith(QLatin1String("z:/"), Qt::CaseInsensitive))
        linux.remove(0, 2);
    return linux;
}

// Access to a file is in its access list (a file under the user's profile is the user's
// own); Qt and the C runtime show only the read-only attribute as permission bits.
inline constexpr bool PermissionBitsAreKept = false;
// A file name is UTF-16 text.
inline constexpr bool NamesAreBytes = false;
// QFile::link makes a shortcut: a file of its own under the name given, which only the
// shell follows.
inline constexpr bool LinksAreShortcutFiles = true;

// Opens a test that starts Linux programs (the test servers, restic, rclone). Wine starts
// a Linux program, but gives no handle that can wait for it or stop it, and Windows has
// none: such a test is skipped, saying so.
#define TILLORA_TEST_STARTS_LINUX_PROGRAMS()                                                       \
    QSKIP("it starts Linux programs (a test server, restic or rclone), which a Windows "           \
          "program cannot wait for or stop")

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

private:
    QString driveRoot(QChar letter) const {
        return QDir::cleanPath(base_ + QStringLiteral("/drive_") + letter.toLower());
    }

    QString base_;
};

} // namespace tillora::test
