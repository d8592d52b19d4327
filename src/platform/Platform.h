#pragma once

#include "NativeFiles.h"

#include <QFile>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace tillora {

// Byte counts of one drive, in the order the Windows disk-space query gives them.
struct DiskSpace {
    quint64 callerFree = 0; // free bytes available to this user
    quint64 total = 0;
    quint64 free = 0;
};

// The four profile folders, each in its Windows form ("C:\users\Public").
struct ProfileFolders {
    QString allUsers;
    QString defaultUser;
    QString profilesRoot;
    QString currentUser;
};

// A program and its arguments; never a shell command line.
struct Command {
    QString program;
    QStringList arguments;
    bool operator==(const Command&) const = default;
};

// Held while this process is the one running instance of a program.
// How reading a file back from the backup drive ended: every byte read, stopped by the
// reader, or failed with the system's reason.
// The pieces in which a file is read back: large enough that a USB drive reads at its
// speed, a multiple of every sector size so that Windows can read without buffering.
constexpr qsizetype ReadBackChunkBytes = 1 << 20;

struct ReadBackEnd {
    enum class Kind { Read, Stopped, Failed };
    Kind kind = Kind::Read;
    QString reason; // when failed
};

class InstanceLock {
public:
    virtual ~InstanceLock() = default;
};

// Something the system grants for as long as the object lives (the computer kept awake).
class SystemHold {
public:
    virtual ~SystemHold() = default;
};

// Everything the system needs from the operating system, behind one seam. Paths given
// to and returned from it are in their Windows form ("c:\Tillora\ini\Autobackup.dat")
// unless a name says native; `nativePath` is the one conversion to a path the file
// functions of this machine accept.
class Platform {
public:
    virtual ~Platform() = default;

    // A Windows-form path as a path of this machine. Existing components are matched
    // without regard to letter case; missing ones keep the spelling given. A path without
    // a drive letter stays relative (backslashes become the native separator).
    virtual QString nativePath(const QString& windowsPath) const = 0;

    // The drives in the drive selector's text form: letter and colon, then, when the
    // drive has a volume label or is a network share, a blank and the label or the share
    // path in square brackets ("c:", "e: [BACKUP]", "z: [\\server\share]").
    virtual QStringList drives() const = 0;

    // Disk space of the drive or folder; nothing when it cannot be queried.
    virtual std::optional<DiskSpace> diskSpace(const QString& windowsPath) const = 0;

    virtual ProfileFolders profileFolders() const = 0;
    // The user's own settings folder (native path; Qt's AppConfigLocation): the program's
    // state and secrets, never under the data folder, which goes to the backup drive.
    virtual QString userSettingsFolder() const;
    // The user's own cache folder (native path; Qt's CacheLocation): work files that may
    // go at any time, never the store's data.
    virtual QString userCacheFolder() const;

    // Starts a program detached, with a hidden window, without waiting for it.
    virtual bool startDetached(const Command& command) = 0;
    // The command that re-maps a network drive letter to its share.
    virtual Command remapCommand(const QString& letter, const QString& share) const = 0;
    // The command that opens a file (a native path) in the system text editor.
    virtual Command editorCommand(const QString& nativeFile) const = 0;

    // Installed printers, in the platform's order.
    virtual QStringList printerNames() const = 0;

    // The lock that makes this process the only running instance of `programName`;
    // nothing when another instance already holds it.
    virtual std::unique_ptr<InstanceLock> claimSingleInstance(const QString& programName) = 0;
    // The local socket name through which a later start of `programName` reaches the
    // running one; one per program and user.
    virtual QString instanceSocketName(const QString& programName) const = 0;

    // The lock `name` for the whole machine, over every user logged on to it (the
    // single-instance lock is the session's own); nothing when a process of any user
    // holds it. A backup run holds it, so two users never back up at once.
    virtual std::unique_ptr<InstanceLock> claimMachineWide(const QString& name) = 0;

    // Keeps the computer from going to sleep while the calling thread works, until the
    // hold is destroyed on that same thread. Where nothing needs doing, an empty hold.
    virtual std::unique_ptr<SystemHold> keepAwake() { return std::make_unique<SystemHold>(); }

    // The volume serial number of a drive ("e:"); nothing when the drive is not there or
    // its volume cannot tell (then only its letter identifies it).
    virtual std::optional<quint32> volumeSerial(const QString& drive) const {
        Q_UNUSED(drive);
        return std::nullopt;
    }

    // Locks an open file as a whole, shared with other programs using the same files;
    // false when the lock could not be had within a few seconds.
    virtual bool lockWholeFile(QFile& file) = 0;
    virtual void unlockWholeFile(QFile& file) = 0;

    // Data on the disk, not only in the system's cache. A backup writes each file, then
    // flushes once before it records the run as done. Where a whole file system can be
    // flushed (Linux: syncfs) `flushFile` does nothing and `flushFileSystem` does the work;
    // on Windows each written file is flushed (FlushFileBuffers) before it is renamed into
    // place and the file system needs nothing more. False when the system reports an
    // error: the data may not be on the disk.
    virtual bool flushFile(QFile& openFile) = 0;
    virtual bool flushFileSystem(const QString& windowsPath) = 0;

    // Opens a file (a native path) that a backup copies, for reading: a descriptor of the
    // C runtime, or -1 with errno set. Tests make a file unreadable here, as a user
    // without the right to read it finds it.
    virtual int openSourceFile(const std::filesystem::path& nativePath) const {
        return openForReading(nativePath);
    }

    // Reads a file of the backup drive (a native path) as the disk holds it, not as the
    // system's cache remembers it, handing its bytes to `take` piece by piece; `take`
    // returning false stops the reading. Linux drops the file's pages from the cache first
    // (they are clean after the flush); Windows reads without buffering.
    virtual ReadBackEnd readBack(const std::filesystem::path& nativePath,
                                 const std::function<bool(const char*, qint64)>& take) = 0;

    // Why an existing file (a native path) cannot be replaced now, in the owner's words;
    // empty when it can. On Windows a file another program holds open cannot be opened
    // for writing without sharing; on Linux another program holds its whole-file lock.
    virtual QString whyNotReplaceable(const std::filesystem::path& nativePath) const = 0;
};

// The implementation for the machine the program was built for. `driveFolder` names the
// folder of drive links (Wine's dosdevices layout) where drive letters are not native;
// empty means the default ($WINEPREFIX/dosdevices, else ~/.wine/dosdevices).
std::unique_ptr<Platform> createPlatform(const QString& driveFolder = {});

// Holds a whole-file lock for the lifetime of a scope.
class WholeFileLock {
public:
    WholeFileLock(Platform& platform, QFile& file)
        : platform_(platform)
        , file_(file)
        , locked_(platform.lockWholeFile(file)) {}
    ~WholeFileLock() {
        if (locked_)
            platform_.unlockWholeFile(file_);
    }
    WholeFileLock(const WholeFileLock&) = delete;
    WholeFileLock& operator=(const WholeFileLock&) = delete;
    bool locked() const { return locked_; }

private:
    Platform& platform_;
    QFile& file_;
    bool locked_;
};

} // namespace tillora
