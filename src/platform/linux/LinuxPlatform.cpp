#include "LinuxPlatform.h"

#include "FileReplace.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QThread>

#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tillora {

namespace {

class LockFileInstance final : public InstanceLock {
public:
    explicit LockFileInstance(const QString& path)
        : lock_(path) {
        lock_.setStaleLockTime(0);
    }
    bool claim() { return lock_.tryLock(0); }

private:
    QLockFile lock_;
};

// A whole-file lock held through an open descriptor; the system drops it with the
// process, so a run that crashed leaves nothing to clean up.
class FlockInstance final : public InstanceLock {
public:
    explicit FlockInstance(int fd)
        : fd_(fd) {}
    ~FlockInstance() override { ::close(fd_); }

private:
    int fd_;
};

QString runtimeFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QDir::tempPath() : folder;
}

// "Drive label" as Wine keeps it: a ".windows-label" file in the drive's top folder.
QString volumeLabel(const QString& root) {
    QFile file(QDir(root).filePath(QStringLiteral(".windows-label")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readLine()).trimmed();
}

// The share a drive folder is mounted from ("\\server\share"), when it is a network mount.
QString networkShare(const QString& root) {
    const QStorageInfo storage(root);
    if (!storage.isValid())
        return {};
    const QByteArray type = storage.fileSystemType();
    if (type != "cifs" && type != "smb3" && type != "smbfs" && type != "nfs" && type != "nfs4")
        return {};
    if (QFileInfo(root).canonicalFilePath() != storage.rootPath())
        return {};
    QString device = QString::fromLocal8Bit(storage.device());
    device.replace(u'/', u'\\');
    return device;
}

} // namespace

LinuxPlatform::LinuxPlatform(const QString& driveFolder)
    : drives_(driveFolder.isEmpty() ? DriveFolder::defaultFolder() : driveFolder) {
}

QString LinuxPlatform::nativePath(const QString& windowsPath) const {
    return drives_.resolve(windowsPath);
}

QStringList LinuxPlatform::drives() const {
    QStringList texts;
    const MountTable mounts = mountTable_();
    for (const QString& letter : drives_.letters()) {
        const QString root = drives_.driveRoot(letter);
        if (root.isEmpty())
            continue; // a link to a drive that is gone (a removed USB drive)
        if (mounts.isUnmountedMountPoint(root))
            continue; // its disk is not there: writing would fill the system disk
        QString extra = networkShare(root);
        if (extra.isEmpty())
            extra = volumeLabel(root);
        texts.append(extra.isEmpty() ? letter : letter + QStringLiteral(" [") + extra + u']');
    }
    return texts;
}

std::optional<DiskSpace> LinuxPlatform::diskSpace(const QString& windowsPath) const {
    const QString native = nativePath(windowsPath);
    if (!QFileInfo::exists(native))
        return std::nullopt;
    const QStorageInfo storage(native);
    if (!storage.isValid() || !storage.isReady())
        return std::nullopt;
    return DiskSpace{quint64(storage.bytesAvailable()), quint64(storage.bytesTotal()),
                     quint64(storage.bytesFree())};
}

ProfileFolders LinuxPlatform::profileFolders() const {
    // Wine keeps the profiles under drive C's "users" folder.
    const QString usersNative = nativePath(QStringLiteral("C:\\users"));
    const QString users = QStringLiteral("C:\\") + QFileInfo(usersNative).fileName();
    auto under = [&](const QString& name) {
        return users + u'\\' + matchComponent(usersNative, name);
    };
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = QStringLiteral("user");
    return {under(QStringLiteral("Public")), under(QStringLiteral("Default")), users, under(user)};
}

bool LinuxPlatform::startDetached(const Command& command) {
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

Command LinuxPlatform::remapCommand(const QString& letter, const QString& share) const {
    Q_UNUSED(letter); // the drive folder's link names the mount point, not the letter
    QString location = share.trimmed();
    location.replace(u'\\', u'/');
    while (location.startsWith(u'/'))
        location.remove(0, 1);
    return {QStringLiteral("gio"), {QStringLiteral("mount"), QStringLiteral("smb://") + location}};
}

Command LinuxPlatform::editorCommand(const QString& nativeFile) const {
    return {QStringLiteral("xdg-open"), {nativeFile}};
}

QStringList LinuxPlatform::printerNames() const {
    return QPrinterInfo::availablePrinterNames();
}

std::unique_ptr<InstanceLock> LinuxPlatform::claimSingleInstance(const QString& programName) {
    auto lock = std::make_unique<LockFileInstance>(
        QDir(runtimeFolder()).filePath(programName + QStringLiteral(".instance.lock")));
    if (!lock->claim())
        return nullptr;
    return lock;
}

QString LinuxPlatform::instanceSocketName(const QString& programName) const {
    // Beside the instance lock, in the user's own runtime folder: a full path, so the
    // socket is this user's alone.
    return QDir(runtimeFolder()).filePath(programName + QStringLiteral(".show"));
}

std::unique_ptr<InstanceLock> LinuxPlatform::claimMachineWide(const QString& name) {
    const QString folder = QFileInfo(QStringLiteral("/run/lock")).isWritable()
                               ? QStringLiteral("/run/lock")
                               : QDir::tempPath();
    const QByteArray path =
        QFile::encodeName(QDir(folder).filePath(name + QStringLiteral(".lock")));
    // Opened without creating first: a sticky folder refuses to let one user create over
    // another's file (protected_regular), while opening it is allowed.
    int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0 && errno == ENOENT) {
        fd = ::open(path.constData(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd >= 0)
            (void)::fchmod(fd, 0644); // whatever the umask: every user may open it
    }
    if (fd < 0) // the system cannot tell: a run rather than none, as on Windows
        return std::make_unique<InstanceLock>();
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FlockInstance>(fd);
}

std::optional<quint32> LinuxPlatform::volumeSerial(const QString& drive) const {
    const QString root = drives_.driveRoot(drive.left(2).toLower());
    if (root.isEmpty())
        return std::nullopt;
    QFile file(QDir(root).filePath(QStringLiteral(".windows-serial")));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool ok = false;
    const quint32 serial = QString::fromLatin1(file.readLine(64)).trimmed().toUInt(&ok, 16);
    return ok ? std::optional<quint32>(serial) : std::nullopt;
}

bool LinuxPlatform::lockWholeFile(QFile& file) {
    const int fd = file.handle();
    if (fd < 0)
        return false;
    // Another program holds such locks only for one scan or one write: wait briefly.
    const QDeadlineTimer deadline(3000);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

void LinuxPlatform::unlockWholeFile(QFile& file) {
    if (file.handle() >= 0)
        ::flock(file.handle(), LOCK_UN);
}

bool LinuxPlatform::flushFile(QFile& openFile) {
    Q_UNUSED(openFile); // the whole file system is flushed once at the end (syncfs)
    return true;
}

bool LinuxPlatform::flushFileSystem(const QString& windowsPath) {
    const int fd =
        ::open(QFile::encodeName(nativePath(windowsPath)).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::syncfs(fd) == 0;
    ::close(fd);
    return flushed;
}

QString LinuxPlatform::whyNotReplaceable(const std::filesystem::path& nativePath) const {
    const int fd = ::open(nativePath.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return QStringLiteral("it cannot be opened for writing: ") + systemErrorText(errno);
    // The store's programs lock a file as a whole while they use it (lockWholeFile); a
    // lock taken and let go at once disturbs none of them.
    QString reason;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        reason = errno == EWOULDBLOCK
                     ? QStringLiteral("another program is using it")
                     : QStringLiteral("it cannot be locked: ") + systemErrorText(errno);
    ::close(fd);
    return reason;
}

ReadBackEnd LinuxPlatform::readBack(const std::filesystem::path& nativePath,
                                    const std::function<bool(const char*, qint64)>& take) {
    // Straight from the disk where the file system allows it (O_DIRECT: whole blocks into
    // an aligned buffer); else through the cache after dropping the file's pages, which
    // are clean after the flush, so that every read still goes to the disk.
    int fd = ::open(nativePath.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_DIRECT);
    const bool direct = fd >= 0;
    if (!direct && errno == EINVAL)
        fd = openForReading(nativePath);
    if (fd < 0)
        return {ReadBackEnd::Kind::Failed, systemErrorText(errno)};
    if (!direct)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    // One buffer per thread for every file: a night reads back thousands of small files.
    // Page-aligned, as direct reads need.
    thread_local const std::unique_ptr<char, decltype(&std::free)> buffer(
        static_cast<char*>(std::aligned_alloc(4096, ReadBackChunkBytes)), &std::free);
    if (!buffer) {
        ::close(fd);
        return {ReadBackEnd::Kind::Failed, systemErrorText(ENOMEM)};
    }
    ReadBackEnd end;
    for (;;) {
        const ssize_t got = ::read(fd, buffer.get(), ReadBackChunkBytes);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            end = {ReadBackEnd::Kind::Failed, systemErrorText(errno)};
            break;
        }
        if (got == 0)
            break;
        if (!take(buffer.get(), got)) {
            end.kind = ReadBackEnd::Kind::Stopped;
            break;
        }
    }
    // Leaves the cache to the store's own files.
    if (!direct)
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
    return end;
}

std::unique_ptr<Platform> createPlatform(const QString& driveFolder) {
    return std::make_unique<LinuxPlatform>(driveFolder);
}

} // namespace tillora
