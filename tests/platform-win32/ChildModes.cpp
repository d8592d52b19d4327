#include "ChildModes.h"

#include "Win32Api.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <fstream>

namespace child {

namespace {

using tillora::win32::toUtf8;

int recordStart(const std::vector<std::wstring>& arguments) {
    if (arguments.size() < 3)
        return Broken;
    const std::filesystem::path file = arguments[1];
    Sleep(DWORD(std::stoul(arguments[2])));
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    const std::filesystem::path partial = file.wstring() + L".partial";
    {
        std::ofstream out(partial, std::ios::binary);
        out << "show=" << ((startup.dwFlags & STARTF_USESHOWWINDOW) ? int(startup.wShowWindow) : -1)
            << "\n";
        for (std::size_t i = 3; i < arguments.size(); ++i)
            out << toUtf8(arguments[i]) << "\n";
    }
    // Renamed into place so the waiting test never reads half a file.
    return MoveFileExW(partial.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING) ? Yes : Broken;
}

int openForLocking(const std::wstring& file) {
    return _wopen(file.c_str(), _O_RDWR | _O_BINARY);
}

int tryLock(const std::vector<std::wstring>& arguments) {
    if (arguments.size() != 3)
        return Broken;
    const int fd = openForLocking(arguments[1]);
    if (fd < 0)
        return Broken;
    const bool locked = tillora::win32::lockWholeFile(fd, unsigned(std::stoul(arguments[2])));
    if (locked)
        tillora::win32::unlockWholeFile(fd);
    _close(fd);
    return locked ? Yes : No;
}

int holdLock(const std::vector<std::wstring>& arguments) {
    if (arguments.size() != 4)
        return Broken;
    const int fd = openForLocking(arguments[1]);
    if (fd < 0 || !tillora::win32::lockWholeFile(fd, 5000))
        return Broken;
    std::ofstream(std::filesystem::path(arguments[2])) << "locked\n";
    Sleep(DWORD(std::stoul(arguments[3])));
    tillora::win32::unlockWholeFile(fd);
    _close(fd);
    return Yes;
}

int claim(const std::vector<std::wstring>& arguments) {
    if (arguments.size() != 2)
        return Broken;
    const auto outcome = arguments[0] == L"--claim-machine"
                             ? tillora::win32::claimMachineWide(arguments[1])
                             : tillora::win32::claimInstance(arguments[1]);
    switch (outcome.result) {
    case tillora::win32::ClaimResult::Claimed:
        return Yes;
    case tillora::win32::ClaimResult::HeldElsewhere:
        return No;
    default:
        return Broken;
    }
}

} // namespace

std::optional<int> runMode(const std::vector<std::wstring>& arguments) {
    if (arguments.empty())
        return std::nullopt;
    const std::wstring& mode = arguments.front();
    if (mode == L"--record-start")
        return recordStart(arguments);
    if (mode == L"--try-lock")
        return tryLock(arguments);
    if (mode == L"--hold-lock")
        return holdLock(arguments);
    if (mode == L"--claim" || mode == L"--claim-machine")
        return claim(arguments);
    return std::nullopt;
}

std::wstring selfPath() {
    std::vector<wchar_t> buffer(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
    return std::wstring(buffer.data(), length);
}

int runSelf(const std::vector<std::wstring>& arguments) {
    const std::wstring line = tillora::win32::commandLine(selfPath(), arguments);
    std::vector<wchar_t> writable(line.begin(), line.end());
    writable.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process))
        return Broken;
    DWORD code = Broken;
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.hProcess, &code))
        code = Broken;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return int(code);
}

bool waitForFile(const std::filesystem::path& file, unsigned timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!std::filesystem::exists(file)) {
        if (GetTickCount64() >= deadline)
            return false;
        Sleep(50);
    }
    return true;
}

std::vector<std::string> readLines(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace child
