#include "Win32Api.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <io.h>
#include <shlobj.h>
#include <userenv.h>
#include <winnetwk.h>
#include <winspool.h>

#include <algorithm>
#include <cwctype>

namespace tillora::win32 {

namespace {

// A failed query of a drive without a medium must not put up the system's
// "insert a disk" box on the operator's screen.
class QuietDriveErrors {
public:
    QuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
    ~QuietDriveErrors() { SetThreadErrorMode(previous_, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    DWORD previous_ = 0;
};

std::wstring upToNul(const std::vector<wchar_t>& buffer) {
    std::wstring text(buffer.data(), buffer.size());
    const auto nul = text.find(L'\0');
    if (nul != std::wstring::npos)
        text.resize(nul);
    return text;
}

// Runs one of the profile services, which report the size they need when the buffer is
// too small; empty when the service fails.
template <typename Query> std::wstring sizedText(Query query) {
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = DWORD(buffer.size());
        if (query(buffer.data(), &size))
            return upToNul(buffer);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size())
            return {};
        buffer.assign(size + 1, L'\0');
    }
    return {};
}

std::wstring environmentText(const wchar_t* name) {
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    DWORD length = GetEnvironmentVariableW(name, buffer.data(), DWORD(buffer.size()));
    if (length >= buffer.size()) {
        buffer.assign(length + 1, L'\0');
        length = GetEnvironmentVariableW(name, buffer.data(), DWORD(buffer.size()));
    }
    if (length == 0 || length >= buffer.size())
        return {};
    return std::wstring(buffer.data(), length);
}

std::wstring currentUserProfile() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    std::wstring folder = sizedText([token](wchar_t* buffer, DWORD* size) {
        return GetUserProfileDirectoryW(token, buffer, size);
    });
    CloseHandle(token);
    return folder;
}

// The share a mapped drive letter ("z:") stands for. A remembered mapping whose
// connection is down still names its share.
std::wstring mappedShare(const std::wstring& letter) {
    std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD size = DWORD(buffer.size());
        const DWORD result = WNetGetConnectionW(letter.c_str(), buffer.data(), &size);
        if (result == NO_ERROR || result == ERROR_CONNECTION_UNAVAIL)
            return upToNul(buffer);
        if (result != ERROR_MORE_DATA)
            return {};
        buffer.assign(size + 1, L'\0');
    }
    return {};
}

std::wstring volumeLabel(const std::wstring& root) {
    std::vector<wchar_t> label(MAX_PATH + 1, L'\0');
    if (!GetVolumeInformationW(root.c_str(), label.data(), DWORD(label.size()), nullptr, nullptr,
                               nullptr, nullptr, 0))
        return {};
    return upToNul(label);
}

HANDLE osHandle(int fd) {
    if (fd < 0) // the C runtime's invalid-parameter handler would end the process
        return INVALID_HANDLE_VALUE;
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

} // namespace

std::wstring fromUtf8(const std::string& text) {
    if (text.empty())
        return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), length);
    return wide;
}

std::string toUtf8(const std::wstring& text) {
    if (text.empty())
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string narrow(std::size_t(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), narrow.data(), length, nullptr,
                        nullptr);
    return narrow;
}

std::wstring driveText(const std::wstring& letter, const std::wstring& label,
                       const std::wstring& share) {
    std::wstring text;
    if (!letter.empty())
        text = {wchar_t(std::towlower(wint_t(letter.front()))), L':'};
    const std::wstring& extra = share.empty() ? label : share;
    if (!extra.empty())
        text += L" [" + extra + L"]";
    return text;
}

std::vector<std::wstring> driveTexts() {
    std::vector<wchar_t> buffer(4 * 26 + 1, L'\0');
    DWORD length = GetLogicalDriveStringsW(DWORD(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
        buffer.assign(length + 1, L'\0');
        length = GetLogicalDriveStringsW(DWORD(buffer.size()), buffer.data());
    }
    if (length == 0 || length >= buffer.size())
        return {};

    const QuietDriveErrors quiet;
    std::vector<std::wstring> texts;
    for (const wchar_t* root = buffer.data(); *root != L'\0'; root += wcslen(root) + 1) {
        const std::wstring rootPath(root); // "C:\"
        const std::wstring letter = rootPath.substr(0, 2);
        if (GetDriveTypeW(root) == DRIVE_REMOTE)
            texts.push_back(driveText(letter, {}, mappedShare(letter)));
        else
            texts.push_back(driveText(letter, volumeLabel(rootPath), {}));
    }
    return texts;
}

std::optional<DiskSpace> diskSpace(const std::wstring& path) {
    std::wstring query = path;
    // A share path is only accepted with its trailing backslash.
    if (query.starts_with(L"\\\\") && !query.ends_with(L"\\"))
        query += L'\\';
    const QuietDriveErrors quiet;
    ULARGE_INTEGER callerFree{}, total{}, free{};
    if (!GetDiskFreeSpaceExW(query.c_str(), &callerFree, &total, &free))
        return std::nullopt;
    return DiskSpace{callerFree.QuadPart, total.QuadPart, free.QuadPart};
}

ProfileFolders profileFolders() {
    ProfileFolders folders;
    folders.allUsers = sizedText(
        [](wchar_t* buffer, DWORD* size) { return GetAllUsersProfileDirectoryW(buffer, size); });
    if (!folders.allUsers.empty()) {
        folders.allUsersSource = FolderSource::ProfileService;
    } else if (folders.allUsers = environmentText(L"ALLUSERSPROFILE"); !folders.allUsers.empty()) {
        folders.allUsersSource = FolderSource::Environment;
    } else {
        std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
        if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                                       buffer.data()))) {
            folders.allUsers = upToNul(buffer);
            folders.allUsersSource = FolderSource::CommonAppData;
        }
    }
    folders.profilesRoot =
        sizedText([](wchar_t* buffer, DWORD* size) { return GetProfilesDirectoryW(buffer, size); });
    folders.defaultUser = sizedText(
        [](wchar_t* buffer, DWORD* size) { return GetDefaultUserProfileDirectoryW(buffer, size); });
    if (!folders.defaultUser.empty()) {
        folders.defaultUserSource = FolderSource::ProfileService;
    } else if (!folders.profilesRoot.empty()) {
        folders.defaultUser = folders.profilesRoot + L"\\Default";
        folders.defaultUserSource = FolderSource::ProfilesRoot;
    }
    folders.currentUser = currentUserProfile();
    return folders;
}

std::wstring quoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return argument;
    // Backslashes are literal unless they precede a quote: those before an embedded quote
    // and those before the closing quote are doubled.
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"')
            quoted.append(backslashes * 2 + 1, L'\\');
        else
            quoted.append(backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

std::wstring commandLine(const std::wstring& program, const std::vector<std::wstring>& arguments) {
    if (program.empty() || program.find_first_of(L"\"\r\n") != std::wstring::npos)
        return {};
    // The program name ends at the first blank unless quoted, and a backslash in it is
    // always literal, so it is only ever wrapped in quotes.
    std::wstring line =
        program.find_first_of(L" \t") == std::wstring::npos ? program : L"\"" + program + L"\"";
    for (const std::wstring& argument : arguments)
        line += L" " + quoteArgument(argument);
    return line;
}

std::vector<std::wstring> netUseArguments(const std::wstring& letter, const std::wstring& share) {
    const auto trimmed = [](const std::wstring& text) {
        const auto first = text.find_first_not_of(L' ');
        if (first == std::wstring::npos)
            return std::wstring();
        return text.substr(first, text.find_last_not_of(L' ') - first + 1);
    };
    // Text beginning with "/" would be read by net as an option (a volume label such as
    // "/DELETE"): it is never passed on.
    const auto usable = [&](const std::wstring& text) {
        const std::wstring value = trimmed(text);
        return value.empty() || value.front() == L'/' ? std::wstring() : value;
    };
    std::vector<std::wstring> arguments = {L"use"};
    if (const std::wstring drive = usable(letter); !drive.empty())
        arguments.push_back(drive);
    if (const std::wstring path = usable(share); !path.empty())
        arguments.push_back(path);
    return arguments;
}

WindowMode windowModeFor(const std::wstring& program) {
    return CompareStringOrdinal(program.c_str(), int(program.size()), EditorProgram, -1, TRUE) ==
                   CSTR_EQUAL
               ? WindowMode::Maximized
               : WindowMode::Hidden;
}

bool startDetached(const std::wstring& program, const std::vector<std::wstring>& arguments,
                   WindowMode mode, unsigned long* processId) {
    const std::wstring line = commandLine(program, arguments);
    if (line.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::vector<wchar_t> writableLine(line.begin(), line.end()); // CreateProcessW may edit it
    writableLine.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = mode == WindowMode::Hidden ? SW_HIDE : SW_SHOWMAXIMIZED;
    const DWORD flags = mode == WindowMode::Hidden ? CREATE_NO_WINDOW : 0;

    PROCESS_INFORMATION process{};
    // No handles are inherited: the child must not keep our open files alive.
    if (!CreateProcessW(nullptr, writableLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                        nullptr, &startup, &process))
        return false;
    if (mode == WindowMode::Maximized)
        AllowSetForegroundWindow(process.dwProcessId); // the editor comes up in front
    if (processId)
        *processId = process.dwProcessId;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

std::optional<std::vector<std::wstring>> printerNames() {
    const DWORD which = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    std::vector<BYTE> buffer;
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD needed = 0, count = 0;
        if (EnumPrintersW(which, nullptr, 4, buffer.empty() ? nullptr : buffer.data(),
                          DWORD(buffer.size()), &needed, &count)) {
            std::vector<std::wstring> names;
            const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buffer.data());
            for (DWORD i = 0; i < count; ++i)
                names.emplace_back(info[i].pPrinterName ? info[i].pPrinterName : L"");
            return names;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return std::nullopt;
        buffer.assign(needed, 0); // a printer added in between asks for another round
    }
    return std::nullopt;
}

InstanceClaim::~InstanceClaim() {
    if (mutex_)
        CloseHandle(mutex_);
}

namespace {

std::wstring cleanedMutexName(const std::wstring& name) {
    std::wstring cleaned = name;
    for (wchar_t& c : cleaned)
        if (c == L'\\')
            c = L'_';
    return cleaned;
}

// A named mutex that exists as long as its holder keeps its handle: whoever finds it
// existing (or cannot open it: another user's) is not the holder.
InstanceOutcome claimMutex(const std::wstring& name) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    const DWORD error = GetLastError();
    if (!mutex)
        return {error == ERROR_ACCESS_DENIED ? ClaimResult::HeldElsewhere : ClaimResult::Failed,
                nullptr};
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return {ClaimResult::HeldElsewhere, nullptr};
    }
    return {ClaimResult::Claimed, std::make_unique<InstanceClaim>(mutex)};
}

} // namespace

std::wstring instanceMutexName(const std::wstring& programName) {
    return L"Local\\" + cleanedMutexName(programName);
}

InstanceOutcome claimInstance(const std::wstring& programName) {
    return claimMutex(instanceMutexName(programName));
}

std::wstring machineMutexName(const std::wstring& name) {
    return L"Global\\" + cleanedMutexName(name);
}

InstanceOutcome claimMachineWide(const std::wstring& name) {
    return claimMutex(machineMutexName(name));
}

bool keepAwake(bool awake) {
    const EXECUTION_STATE state = awake ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS;
    return SetThreadExecutionState(state) != 0;
}

HandleFacts factsByHandle(const std::wstring& path) {
    // No data access: sharing modes only guard reading, writing and deleting, so this open
    // succeeds beside any other holder. Backup semantics open a folder too.
    const std::wstring extended = extendedPath(path);
    const HANDLE file = CreateFileW(extended.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    HandleFacts facts;
    if (file == INVALID_HANDLE_VALUE) {
        facts.error = GetLastError();
        if (facts.error == ERROR_FILE_NOT_FOUND || facts.error == ERROR_PATH_NOT_FOUND ||
            facts.error == ERROR_INVALID_NAME || facts.error == ERROR_BAD_NETPATH) {
            facts.kind = HandleFacts::Kind::Missing;
            return facts;
        }
        // Not even its attributes may be opened: what its folder's entry says.
        WIN32_FILE_ATTRIBUTE_DATA entry{};
        if (GetFileAttributesExW(extended.c_str(), GetFileExInfoStandard, &entry)) {
            const bool folder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            facts.kind = folder ? HandleFacts::Kind::Folder : HandleFacts::Kind::File;
            facts.size =
                folder ? 0 : (std::uint64_t(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
            facts.lastWrite =
                std::int64_t((std::uint64_t(entry.ftLastWriteTime.dwHighDateTime) << 32) |
                             entry.ftLastWriteTime.dwLowDateTime);
            facts.readOnly = entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
        }
        return facts;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileInformationByHandle(file, &info)) {
        const bool folder = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        facts.kind = folder ? HandleFacts::Kind::Folder : HandleFacts::Kind::File;
        facts.size = folder ? 0 : (std::uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        facts.lastWrite = std::int64_t((std::uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) |
                                       info.ftLastWriteTime.dwLowDateTime);
        facts.readOnly = info.dwFileAttributes & FILE_ATTRIBUTE_READONLY;
    } else {
        facts.error = GetLastError();
    }
    CloseHandle(file);
    return facts;
}

bool moveFile(const std::wstring& from, const std::wstring& to, bool replace, unsigned retryMs,
              unsigned long* error) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    const std::wstring extendedFrom = extendedPath(from);
    const std::wstring extendedTo = extendedPath(to);
    const ULONGLONG deadline = GetTickCount64() + retryMs;
    DWORD pause = 50;
    for (;;) {
        if (MoveFileExW(extendedFrom.c_str(), extendedTo.c_str(), flags)) {
            if (error)
                *error = 0;
            return true;
        }
        const DWORD failure = GetLastError();
        const ULONGLONG now = GetTickCount64();
        if ((failure != ERROR_SHARING_VIOLATION && failure != ERROR_LOCK_VIOLATION) ||
            now >= deadline) {
            if (error)
                *error = failure;
            SetLastError(failure);
            return false;
        }
        // A scanner looks at a new file for a moment; the pauses grow up to a second.
        Sleep(DWORD(std::min<ULONGLONG>(pause, deadline - now)));
        pause = std::min<DWORD>(pause * 2, 1000);
    }
}

std::wstring extendedPath(const std::wstring& path) {
    std::wstring text = path;
    std::replace(text.begin(), text.end(), L'/', L'\\');
    if (text.starts_with(L"\\\\?\\") || text.starts_with(L"\\\\.\\") || text.starts_with(L"\\??\\"))
        return path;
    std::wstring extended;
    std::size_t fixed = 0; // steps ".." cannot climb above: a share's server and name
    std::size_t from = 0;
    if (text.size() >= 3 && std::iswalpha(wint_t(text[0])) && text[1] == L':' && text[2] == L'\\') {
        extended = L"\\\\?\\" + text.substr(0, 2);
        from = 2;
    } else if (text.size() > 2 && text.starts_with(L"\\\\") && text[2] != L'\\') {
        extended = L"\\\\?\\UNC";
        fixed = 2;
        from = 1;
    } else {
        return path; // relative, or relative to the current drive
    }
    std::vector<std::wstring> steps;
    for (std::size_t at = from; at < text.size();) {
        const std::size_t end = std::min(text.find(L'\\', at + 1), text.size());
        const std::wstring step = text.substr(at + 1, end - at - 1);
        at = end;
        if (step.empty() || step == L".")
            continue;
        if (step == L"..") {
            if (steps.size() > fixed)
                steps.pop_back();
            continue;
        }
        steps.push_back(step);
    }
    if (steps.empty())
        return extended + L'\\'; // a drive's root
    for (const std::wstring& step : steps)
        extended += L'\\' + step;
    return extended;
}

std::optional<std::vector<FolderEntry>> listFolder(const std::wstring& folder,
                                                   unsigned long* error) {
    std::wstring pattern = extendedPath(folder);
    if (!pattern.empty() && pattern.back() != L'\\')
        pattern += L'\\';
    pattern += L'*';
    const QuietDriveErrors quiet;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
    std::vector<FolderEntry> entries;
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD failure = GetLastError();
        if (failure == ERROR_FILE_NOT_FOUND) // not even "." : the empty root of a drive
            return entries;
        if (error)
            *error = failure;
        return std::nullopt;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            entries.push_back({name, bool(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)});
    } while (FindNextFileW(search, &found));
    const DWORD failure = GetLastError();
    FindClose(search);
    if (failure != ERROR_NO_MORE_FILES) {
        if (error)
            *error = failure;
        return std::nullopt;
    }
    return entries;
}

namespace {

bool isFolderAt(const std::wstring& extended) {
    const DWORD attributes = GetFileAttributesW(extended.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool createFolderAt(const std::wstring& extended, DWORD& failure) {
    if (CreateDirectoryW(extended.c_str(), nullptr))
        return true;
    failure = GetLastError();
    if (isFolderAt(extended))
        return true;
    if (failure != ERROR_PATH_NOT_FOUND)
        return false;
    // The folder above is missing too; past the root ("\\?\C:") there is nothing to make.
    const std::size_t cut = extended.find_last_of(L'\\');
    if (cut == std::wstring::npos || cut < 4 || !createFolderAt(extended.substr(0, cut), failure))
        return false;
    if (CreateDirectoryW(extended.c_str(), nullptr) || isFolderAt(extended))
        return true;
    failure = GetLastError();
    return false;
}

} // namespace

bool createFolders(const std::wstring& folder, unsigned long* error) {
    std::wstring extended = extendedPath(folder);
    while (extended.size() > 1 && extended.back() == L'\\')
        extended.pop_back();
    DWORD failure = 0;
    if (isFolderAt(extended) || createFolderAt(extended, failure))
        return true;
    if (error)
        *error = failure;
    return false;
}

bool removeEntry(const std::wstring& path, unsigned long* error) {
    const std::wstring extended = extendedPath(path);
    const DWORD attributes = GetFileAttributesW(extended.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY ? RemoveDirectoryW(extended.c_str())
                                               : DeleteFileW(extended.c_str())))
        return true;
    if (error)
        *error = GetLastError();
    return false;
}

bool removeTree(const std::wstring& path, unsigned long* error) {
    const std::wstring extended = extendedPath(path);
    const DWORD attributes = GetFileAttributesW(extended.c_str());
    // A link to a folder is removed as a link: what it leads to stays.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        const auto entries = listFolder(extended, error);
        bool whole = bool(entries);
        for (const FolderEntry& entry : entries.value_or(std::vector<FolderEntry>()))
            whole = removeTree(extended + L'\\' + entry.name, error) && whole;
        if (!whole)
            return false;
    }
    DWORD failure = 0;
    if (removeEntry(extended, &failure) || failure == ERROR_FILE_NOT_FOUND ||
        failure == ERROR_PATH_NOT_FOUND)
        return true;
    if (error)
        *error = failure;
    return false;
}

bool clearReadOnly(const std::wstring& path, unsigned long* error) {
    const std::wstring extended = extendedPath(path);
    const DWORD attributes = GetFileAttributesW(extended.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (!(attributes & FILE_ATTRIBUTE_READONLY))
            return true;
        const DWORD cleared = attributes & ~DWORD(FILE_ATTRIBUTE_READONLY);
        if (SetFileAttributesW(extended.c_str(), cleared ? cleared : FILE_ATTRIBUTE_NORMAL))
            return true;
    }
    if (error)
        *error = GetLastError();
    return false;
}

bool setLastWriteTime(const std::wstring& path, std::int64_t ticks) {
    const HANDLE file = CreateFileW(extendedPath(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME time{DWORD(std::uint64_t(ticks)), DWORD(std::uint64_t(ticks) >> 32)};
    const bool set = SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
    return set;
}

std::optional<std::uint32_t> volumeSerial(const std::wstring& drive) {
    std::wstring root = drive;
    if (!root.ends_with(L"\\"))
        root += L'\\';
    const QuietDriveErrors quiet;
    DWORD serial = 0;
    if (!GetVolumeInformationW(root.c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0))
        return std::nullopt;
    return std::uint32_t(serial);
}

bool lockWholeFile(int fd, unsigned timeoutMs) {
    const HANDLE file = osHandle(fd);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        OVERLAPPED from{}; // offset 0; the range covers the file and anything appended
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                       MAXDWORD, &from))
            return true;
        if (GetLastError() != ERROR_LOCK_VIOLATION || GetTickCount64() >= deadline)
            return false;
        // The other program holds such a lock for one scan or one write only.
        Sleep(20);
    }
}

void unlockWholeFile(int fd) {
    const HANDLE file = osHandle(fd);
    if (file == INVALID_HANDLE_VALUE)
        return;
    OVERLAPPED from{};
    UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &from);
}

bool flushFile(int fd) {
    const HANDLE file = osHandle(fd);
    return file != INVALID_HANDLE_VALUE && FlushFileBuffers(file);
}

unsigned long exclusiveOpenError(const std::wstring& path) {
    HANDLE file = CreateFileW(extendedPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    CloseHandle(file);
    return 0;
}

bool isSharingViolation(unsigned long error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

UncachedRead readUncached(const std::wstring& path, std::size_t pieceBytes,
                          const std::function<bool(const char*, std::size_t)>& take) {
    const HANDLE file =
        CreateFileW(extendedPath(path).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {UncachedRead::End::Failed, GetLastError()};
    // Unbuffered reads need a buffer aligned to the sector size; a page is aligned to all.
    void* buffer = VirtualAlloc(nullptr, pieceBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    LARGE_INTEGER size{};
    UncachedRead result;
    if (!buffer || !GetFileSizeEx(file, &size)) {
        result = {UncachedRead::End::Failed, GetLastError()};
    } else {
        // Read up to the size rather than to an empty read: after the short read at the
        // end the position is off the sector grid, where an unbuffered read is refused.
        for (LONGLONG done = 0; done < size.QuadPart;) {
            DWORD got = 0;
            if (!ReadFile(file, buffer, DWORD(pieceBytes), &got, nullptr)) {
                result = {UncachedRead::End::Failed, GetLastError()};
                break;
            }
            if (got == 0) {
                result = {UncachedRead::End::Failed, ERROR_HANDLE_EOF};
                break;
            }
            done += got;
            if (!take(static_cast<const char*>(buffer), got)) {
                result.end = UncachedRead::End::Stopped;
                break;
            }
        }
    }
    if (buffer)
        VirtualFree(buffer, 0, MEM_RELEASE);
    CloseHandle(file);
    return result;
}

std::wstring errorMessage(unsigned long error) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length ? std::wstring(text, length) : std::wstring();
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' ||
                                message.back() == L' ' || message.back() == L'.'))
        message.pop_back();
    return message.empty() ? L"Windows error " + std::to_wstring(error) : message;
}

void* killOnCloseJobFor(unsigned long processId) {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    HANDLE process = OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, processId);
    const bool joined =
        process &&
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits) &&
        AssignProcessToJobObject(job, process);
    if (process)
        CloseHandle(process);
    if (!joined) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

void closeJob(void* job) {
    if (job)
        CloseHandle(job);
}

} // namespace tillora::win32
