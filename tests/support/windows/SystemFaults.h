#pragma once

#include <QDir>
#include <QString>

#include <windows.h>

namespace tillora::test {

// Ends this process at once, as a kill or a power cut does: no clean-up, nothing flushed.
// The exit code is the one of a console program stopped by Ctrl+C, which QProcess counts
// as a crash.
[[noreturn]] inline void killThisProcess() {
    TerminateProcess(GetCurrentProcess(), 0xC000013A);
    ExitProcess(0xC000013A);
}

// Windows has no limit on the size of the files one process writes: never active.
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long long) {}
    bool active() const { return false; }
};

// Sets or clears the file's read-only attribute: its folder stays writable, yet the
// file cannot be deleted. False where that cannot be done.
inline bool setUndeletable(const QString& path, bool on) {
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    const DWORD wanted = on ? (attributes | FILE_ATTRIBUTE_READONLY)
                            : (attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    return SetFileAttributesW(name.c_str(), wanted) != 0;
}

// Holds a file as a program of the store does while it works on it: open, shared for
// reading only.
class HeldOpen {
public:
    explicit HeldOpen(const QString& path)
        : handle_(CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(),
                              GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~HeldOpen() {
        if (handle_ != INVALID_HANDLE_VALUE)
            CloseHandle(handle_);
    }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE handle_;
};

} // namespace tillora::test
