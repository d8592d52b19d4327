#pragma once

#include <QFile>
#include <QString>

#include <csignal>
#include <cstdlib>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tillora::test {

// Ends this process at once, as a kill or a power cut does: no clean-up, nothing flushed.
[[noreturn]] inline void killThisProcess() {
    ::kill(::getpid(), SIGKILL);
    std::abort();
}

// While it lives, no file this process writes may grow past `bytes`: a write past it
// fails with "File too large", as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        active_ = getrlimit(RLIMIT_FSIZE, &saved_) == 0;
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        active_ = active_ && setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit() {
        if (active_)
            setrlimit(RLIMIT_FSIZE, &saved_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    rlimit saved_{};
    bool active_ = false;
};

// Sets or clears the file's immutable flag: its folder stays writable, yet it cannot be
// deleted. False where that cannot be done.
inline bool setUndeletable(const QString& path, bool on) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

// Holds a file as a program of the store does while it works on it: open, with its
// whole-file lock taken.
class HeldOpen {
public:
    explicit HeldOpen(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR)) {
        held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    }
    ~HeldOpen() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool held() const { return held_; }

private:
    int fd_;
    bool held_ = false;
};

} // namespace tillora::test
