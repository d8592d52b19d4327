#include "NativeFiles.h"

#include "FileReplace.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include "Win32Api.h"

#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace tillora {

namespace fs = std::filesystem;

fs::path toFsPath(const QString& nativePath) {
#ifdef _WIN32
    return fs::path(nativePath.toStdWString());
#else
    return fs::path(QFile::encodeName(nativePath).toStdString());
#endif
}

QString displayName(const fs::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

bool nameIsText(const fs::path& name) {
#ifdef _WIN32
    Q_UNUSED(name);
    return true;
#else
    const QByteArray bytes = QByteArray::fromStdString(name.native());
    return QFile::encodeName(QFile::decodeName(bytes)) == bytes;
#endif
}

#ifdef _WIN32
namespace {

constexpr std::int64_t TicksFrom1601To1970 = 116444736000000000;

// A FILETIME (100-nanosecond ticks since 1601) on the standard library's file clock, the
// one setModifiedOnClosedFile and timeNoFileHas count on.
std::chrono::nanoseconds fileClockTime(std::int64_t ticks) {
    using namespace std::chrono;
    // Nanoseconds from 1970 fit 64 bits to 2262: a time outside 1970 to 2200 (none, or
    // a damaged one) is taken as the nearer end.
    constexpr std::int64_t TicksTo2200 = TicksFrom1601To1970 + 230LL * 3652425 * 86400 * 1000;
    ticks = std::clamp(ticks, TicksFrom1601To1970, TicksTo2200);
    const sys_time<nanoseconds> system{nanoseconds((ticks - TicksFrom1601To1970) * 100)};
    return duration_cast<nanoseconds>(file_clock::from_sys(system).time_since_epoch());
}

// The other way: a time on the file clock as FILETIME ticks.
std::int64_t fileTimeTicks(std::chrono::nanoseconds modified) {
    using namespace std::chrono;
    const auto system =
        file_clock::to_sys(file_clock::time_point(duration_cast<file_clock::duration>(modified)));
    return duration_cast<nanoseconds>(system.time_since_epoch()).count() / 100 +
           TicksFrom1601To1970;
}

// The C runtime's number for a Win32 error code of a file that could not be looked at.
int errnoFor(unsigned long error) {
    return error == ERROR_ACCESS_DENIED || win32::isSharingViolation(error) ? EACCES : EIO;
}

QString reasonFor(unsigned long error) {
    return QString::fromStdWString(win32::errorMessage(error));
}

} // namespace
#else
namespace {

FileFacts factsFromStat(int result, const struct stat& info) {
    FileFacts facts;
    if (result != 0) {
        facts.error = errno;
        return facts;
    }
    facts.kind = S_ISREG(info.st_mode) ? FileFacts::Kind::File
                 : S_ISDIR(info.st_mode) ? FileFacts::Kind::Folder
                                         : FileFacts::Kind::Other;
    facts.size = qint64(info.st_size);
    facts.modified =
        std::chrono::seconds(info.st_mtim.tv_sec) + std::chrono::nanoseconds(info.st_mtim.tv_nsec);
    facts.permissions = unsigned(info.st_mode & 0777);
    return facts;
}

} // namespace
#endif

FileFacts fileFacts(const fs::path& path, bool followLinks) {
#ifdef _WIN32
    // Links are followed either way here, as the C runtime's stat does.
    Q_UNUSED(followLinks);
    FileFacts facts;
    const win32::HandleFacts held = win32::factsByHandle(path.wstring());
    switch (held.kind) {
    case win32::HandleFacts::Kind::Missing:
        facts.error = ENOENT;
        return facts;
    case win32::HandleFacts::Kind::Unknown:
        facts.error = errnoFor(held.error); // it is there, but cannot be looked at
        return facts;
    case win32::HandleFacts::Kind::File:
    case win32::HandleFacts::Kind::Folder:
        break;
    }
    const bool folder = held.kind == win32::HandleFacts::Kind::Folder;
    facts.kind = folder ? FileFacts::Kind::Folder : FileFacts::Kind::File;
    facts.size = qint64(held.size);
    facts.modified = fileClockTime(held.lastWrite);
    // As the C runtime tells the read-only attribute: no write bits.
    facts.permissions = 0444 | (held.readOnly ? 0 : 0222) | (folder ? 0111 : 0);
    return facts;
#else
    struct stat info {};
    const int result = followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    return factsFromStat(result, info);
#endif
}

OpenFolder::OpenFolder(fs::path folder)
    : folder_(std::move(folder)) {
#ifndef _WIN32
    fd_ = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#endif
}

OpenFolder::~OpenFolder() {
#ifndef _WIN32
    if (fd_ >= 0)
        ::close(fd_);
#endif
}

FileFacts OpenFolder::factsOf(const fs::path& name, bool followLinks) const {
#ifndef _WIN32
    if (fd_ >= 0) {
        struct stat info {};
        const int result =
            ::fstatat(fd_, name.c_str(), &info, followLinks ? 0 : AT_SYMLINK_NOFOLLOW);
        return factsFromStat(result, info);
    }
#endif
    return fileFacts(folder_ / name, followLinks);
}

FolderListing listFolder(const fs::path& folder) {
    FolderListing listing;
#ifdef _WIN32
    unsigned long failure = 0;
    const auto entries = win32::listFolder(folder.wstring(), &failure);
    if (!entries) {
        listing.reason = reasonFor(failure);
        return listing;
    }
    for (const win32::FolderEntry& entry : *entries)
        (entry.folder ? listing.folders : listing.files).push_back(fs::path(entry.name));
#else
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) {
        listing.reason = QString::fromLocal8Bit(error.message());
        return listing;
    }
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        std::error_code ignored;
        // A link to a folder is a folder; a link to nothing is a file that cannot be read.
        if (it->is_directory(ignored))
            listing.folders.push_back(it->path().filename());
        else
            listing.files.push_back(it->path().filename());
    }
    if (error) {
        listing.reason = QString::fromLocal8Bit(error.message());
        return listing;
    }
#endif
    std::sort(listing.files.begin(), listing.files.end());
    std::sort(listing.folders.begin(), listing.folders.end());
    listing.readable = true;
    return listing;
}

bool removeFile(const fs::path& path) {
#ifdef _WIN32
    return win32::removeEntry(path.wstring());
#else
    std::error_code ignored;
    return fs::remove(path, ignored);
#endif
}

bool removeFolderTree(const fs::path& folder) {
#ifdef _WIN32
    return win32::removeTree(folder.wstring());
#else
    std::error_code error;
    fs::remove_all(folder, error);
    return !error;
#endif
}

bool makeFolders(const fs::path& folder) {
#ifdef _WIN32
    return win32::createFolders(folder.wstring());
#else
    std::error_code error;
    fs::create_directories(folder, error);
    return !error;
#endif
}

bool renameEntry(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
    return win32::moveFile(from.wstring(), to.wstring(), true);
#else
    std::error_code error;
    fs::rename(from, to, error);
    return !error;
#endif
}

} // namespace tillora

namespace tillora {

int openForReading(const fs::path& path) {
#ifdef _WIN32
    // The C runtime hands the name to CreateFileW as it is: given in the extended form,
    // a path past 260 characters opens too.
    return _wopen(win32::extendedPath(path.wstring()).c_str(),
                  _O_RDONLY | _O_BINARY | _O_NOINHERIT);
#else
    // Non-blocking, so that a pipe put in place of a file cannot hold the run.
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
#endif
}

int createNewFile(const fs::path& path) {
#ifdef _WIN32
    return _wopen(win32::extendedPath(path.wstring()).c_str(),
                  _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
#else
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
#endif
}

qint64 copyInSystem(int in, int out, qint64 bytes, bool& unsupported) {
#ifdef _WIN32
    Q_UNUSED(in);
    Q_UNUSED(out);
    Q_UNUSED(bytes);
    unsupported = true;
    return 0;
#else
    unsupported = false;
    const ssize_t copied = ::copy_file_range(in, nullptr, out, nullptr, std::size_t(bytes), 0);
    if (copied >= 0)
        return copied;
    // Not between these two file systems, or not on this kernel.
    if (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
        unsupported = true;
        return 0;
    }
    return -1;
#endif
}

void startWriteBack(int fd, qint64 offset, qint64 bytes) {
#ifdef _WIN32
    Q_UNUSED(fd);
    Q_UNUSED(offset);
    Q_UNUSED(bytes);
#else
    (void)::sync_file_range(fd, off64_t(offset), off64_t(bytes), SYNC_FILE_RANGE_WRITE);
#endif
}

void setPermissions(int fd, unsigned permissions) {
#ifdef _WIN32
    Q_UNUSED(fd);
    Q_UNUSED(permissions);
#else
    (void)::fchmod(fd, mode_t(permissions & 0777));
#endif
}

void setPermissions(const fs::path& path, unsigned permissions) {
#ifdef _WIN32
    Q_UNUSED(path);
    Q_UNUSED(permissions);
#else
    (void)::chmod(path.c_str(), mode_t(permissions & 0777));
#endif
}

bool makeWritable(const fs::path& path, QString* reason) {
#ifdef _WIN32
    // The read-only attribute is the owner's write bit to the C runtime.
    unsigned long error = 0;
    if (win32::clearReadOnly(path.wstring(), &error))
        return true;
    if (reason)
        *reason = reasonFor(error);
    return false;
#else
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 &&
        ::chmod(path.c_str(), (info.st_mode & 07777) | 0200) == 0)
        return true;
    if (reason)
        *reason = systemErrorText(errno);
    return false;
#endif
}

void setModifiedOnOpenFile(int fd, std::chrono::nanoseconds modified) {
#ifdef _WIN32
    Q_UNUSED(fd);
    Q_UNUSED(modified);
#else
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(modified);
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time_t(seconds.count());
    times[1].tv_nsec = long((modified - seconds).count());
    (void)::futimens(fd, times);
#endif
}

void setModifiedOnClosedFile(const fs::path& path, std::chrono::nanoseconds modified) {
#ifdef _WIN32
    win32::setLastWriteTime(path.wstring(), fileTimeTicks(modified));
#else
    Q_UNUSED(path);
    Q_UNUSED(modified);
#endif
}

QDateTime calendarTime(std::chrono::nanoseconds modified) {
    using namespace std::chrono;
#ifdef _WIN32
    // Times there count on the standard library's file clock (fileClockTime).
    const auto system =
        file_clock::to_sys(file_clock::time_point(duration_cast<file_clock::duration>(modified)));
    return QDateTime::fromMSecsSinceEpoch(
        duration_cast<milliseconds>(system.time_since_epoch()).count());
#else
    // The stat's time: from 1970.
    return QDateTime::fromMSecsSinceEpoch(duration_cast<milliseconds>(modified).count());
#endif
}

std::chrono::nanoseconds timeNoFileHas() {
    using namespace std::chrono;
#ifdef _WIN32
    // Times there count on the file clock of the standard library, not from 1970.
    return duration_cast<nanoseconds>(
        file_clock::from_sys(sys_time<nanoseconds>(sys_days(year(1980) / January / 2)))
            .time_since_epoch());
#else
    return duration_cast<nanoseconds>(sys_days(year(1980) / January / 2).time_since_epoch());
#endif
}

} // namespace tillora
