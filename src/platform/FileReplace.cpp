#include "FileReplace.h"

#include "NativeFiles.h"

#include <cstring>

#ifdef _WIN32
#include "Win32Api.h"
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <thread>
#include <unistd.h>
#endif

namespace tillora {

namespace {

#ifdef _WIN32
// Written through to the disk, and a new file a virus scanner holds for a moment is waited
// for (win32::moveFile).
bool moveWithFlags(const wchar_t* from, const wchar_t* to, bool replace, QString* reason) {
    unsigned long error = 0;
    if (win32::moveFile(from, to, replace, win32::SharingRetryMs, &error))
        return true;
    if (reason)
        *reason = QString::fromStdWString(win32::errorMessage(error));
    return false;
}
#else
bool failedWithErrno(QString* reason) {
    if (reason)
        *reason = systemErrorText(errno);
    return false;
}
#endif

} // namespace

QString systemErrorText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool replaceFile(const QString& nativeFrom, const QString& nativeTo, QString* reason) {
    return replaceFile(toFsPath(nativeFrom), toFsPath(nativeTo), reason);
}

bool replaceFile(const std::filesystem::path& from, const std::filesystem::path& to,
                 QString* reason) {
#ifdef _WIN32
    return moveWithFlags(from.c_str(), to.c_str(), true, reason);
#else
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    return failedWithErrno(reason);
#endif
}

bool replaceFileFreeingLater(const std::filesystem::path& from, const std::filesystem::path& to,
                             QString* reason) {
#ifndef _WIN32
    const int held = ::open(to.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (held >= 0) {
        if (::rename(from.c_str(), to.c_str()) == 0) {
            std::thread([held] { ::close(held); }).detach();
            return true;
        }
        ::close(held); // a network drive may refuse while it is open: once more, not held
    }
#endif
    return replaceFile(from, to, reason);
}

bool moveFileNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                       QString* reason) {
#ifdef _WIN32
    return moveWithFlags(from.c_str(), to.c_str(), false, reason);
#else
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return failedWithErrno(reason);
    // A file system without the flag (some network and FUSE ones): look, then rename.
    std::error_code ignored;
    if (std::filesystem::symlink_status(to, ignored).type() !=
        std::filesystem::file_type::not_found) {
        if (reason)
            *reason = systemErrorText(EEXIST);
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    return failedWithErrno(reason);
#endif
}

} // namespace tillora
