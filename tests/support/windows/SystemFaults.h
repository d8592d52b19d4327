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

} // namespace tillora::test
