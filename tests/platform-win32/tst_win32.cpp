// Tests of the Win32 layer of the platform seam, run under Wine on Linux and natively on
// Windows. The first argument names the group to run; the program also serves as the
// second process of the lock, instance and command tests (ChildModes.h).

#include "ChildModes.h"
#include "TestRunner.h"
#include "Win32Api.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <thread>

using namespace tillora::win32;
namespace fs = std::filesystem;

namespace testing {
inline std::string printable(const std::wstring& text) {
    return toUtf8(text);
}
} // namespace testing

namespace {

std::wstring environment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

bool isFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A scratch folder of this run, removed at the end.
const fs::path& scratch() {
    static const fs::path folder = [] {
        fs::path path = fs::temp_directory_path() /
                        (L"tillora-win32-" + std::to_wstring(GetCurrentProcessId()));
        fs::create_directories(path);
        return path;
    }();
    return folder;
}

std::vector<std::wstring> splitCommandLine(const std::wstring& line) {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> parts(argv, argv + (argv ? count : 0));
    LocalFree(argv);
    return parts;
}

// Arguments that a naive "join with blanks" would split, merge or alter.
const std::vector<std::wstring>& awkwardArguments() {
    static const std::vector<std::wstring> arguments = {
        L"use",
        L"z:",
        L"\\\\server\\share with blanks",
        L"",
        L"say \"hi\"",
        L"trailing\\",
        L"blank and trailing\\\\",
        L"\\\\server\\share\\",
        L"two\\\\\"quotes\"",
        L"\"",
        L"\\",
        L"tab\there",
        L"& del *.* | echo",
        L"caf\u00e9 \u20ac",
    };
    return arguments;
}

// --- quoting ---------------------------------------------------------------------------

std::vector<testing::Case> quotingCases() {
    return {
        {"arguments round-trip through CommandLineToArgvW",
         [] {
             const std::wstring program = L"C:\\Program Files\\Tillora\\run me.exe";
             const auto parts = splitCommandLine(commandLine(program, awkwardArguments()));
             CHECK_EQUAL(parts.size(), awkwardArguments().size() + 1);
             if (parts.size() != awkwardArguments().size() + 1)
                 return;
             CHECK_EQUAL(parts[0], program);
             for (std::size_t i = 0; i < awkwardArguments().size(); ++i)
                 CHECK_EQUAL(parts[i + 1], awkwardArguments()[i]);
         }},
        {"the network re-mapping reads as the operator would type it",
         [] {
             CHECK_EQUAL(commandLine(L"net", netUseArguments(L"z:", L"\\\\server\\share")),
                         std::wstring(L"net use z: \\\\server\\share"));
             // trimmed like the drive selector's text, a blank inside kept in one argument
             const auto arguments = netUseArguments(L" z: ", L"  \\\\nas\\Back Up & more  ");
             CHECK_EQUAL(commandLine(L"net", arguments),
                         std::wstring(L"net use z: \"\\\\nas\\Back Up & more\""));
             const auto parts = splitCommandLine(commandLine(L"net", arguments));
             CHECK(parts.size() == 4 && parts[3] == L"\\\\nas\\Back Up & more");
             // a destination without a share (a local drive) maps nothing extra
             CHECK_EQUAL(netUseArguments(L"e:", L"  ").size(), std::size_t(2));
             // An option-like label never reaches net as an option.
             CHECK_EQUAL(netUseArguments(L"e:", L" /DELETE /Y").size(), std::size_t(2));
         }},
        {"only the text editor is shown; other programs run hidden",
         [] {
             CHECK(windowModeFor(L"NotePad.EXE") == WindowMode::Maximized);
             CHECK(windowModeFor(L"net") == WindowMode::Hidden);
             CHECK(windowModeFor(L"notepad.exe.lnk") == WindowMode::Hidden);
         }},
        {"a program name no file can have is refused",
         [] {
             CHECK(commandLine(L"net\" & calc", {}).empty());
             CHECK(commandLine(L"", {L"use"}).empty());
             CHECK(!startDetached(L"net\"x", {}, WindowMode::Hidden));
         }},
    };
}

// --- drives and disk space -------------------------------------------------------------

std::optional<std::wstring> absentDriveLetter() {
    const DWORD present = GetLogicalDrives();
    for (int bit = 25; bit >= 3; --bit)
        if (!(present & (1u << bit)))
            return std::wstring{wchar_t(L'a' + bit), L':'};
    return std::nullopt;
}

std::vector<testing::Case> driveCases() {
    return {
        {"the drive list holds c: in the selector's form",
         [] {
             const auto drives = driveTexts();
             CHECK(std::any_of(drives.begin(), drives.end(), [](const std::wstring& text) {
                 return text == L"c:" || text.starts_with(L"c: [");
             }));
             for (const std::wstring& text : drives) {
                 const bool plain = text.size() == 2;
                 const bool bracketed =
                     text.size() > 5 && text.substr(2, 2) == L" [" && text.back() == L']';
                 CHECK(text.size() >= 2 && text[1] == L':' && std::iswlower(text[0]));
                 CHECK(plain || bracketed);
             }
         }},
        {"a drive with a volume label shows the label, and has its serial number",
         [] {
             // Set up by the prefix fixture: a drive letter whose folder carries a label.
             const std::wstring expected = environment(L"TILLORA_TEST_LABELLED_DRIVE");
             if (expected.empty()) {
                 testing::note("no labelled test drive was set up; nothing to compare");
                 return;
             }
             const auto drives = driveTexts();
             const bool listed = std::find(drives.begin(), drives.end(), expected) != drives.end();
             CHECK(listed);
             // and its volume serial number, which tells the drive at any letter
             const std::wstring serial = environment(L"TILLORA_TEST_DRIVE_SERIAL");
             CHECK(volumeSerial(expected.substr(0, 2)) == std::stoul(serial, nullptr, 16));
             if (const auto letter = absentDriveLetter())
                 CHECK(!volumeSerial(*letter).has_value());
             if (!listed)
                 for (const std::wstring& text : drives)
                     testing::note("listed: " + toUtf8(text));
         }},
        {"a share wins over a label and the letter is lower case",
         [] {
             CHECK_EQUAL(driveText(L"Z:\\", L"DATA", L"\\\\srv\\pos data"),
                         std::wstring(L"z: [\\\\srv\\pos data]"));
             CHECK_EQUAL(driveText(L"E:", L"BACKUP", L""), std::wstring(L"e: [BACKUP]"));
             CHECK_EQUAL(driveText(L"c", L"", L""), std::wstring(L"c:"));
         }},
    };
}

std::vector<testing::Case> diskSpaceCases() {
    return {
        {"a folder of the system drive has consistent byte counts",
         [] {
             const auto space = diskSpace(L"C:\\windows");
             CHECK(space.has_value());
             if (!space)
                 return;
             CHECK(space->total > 0);
             CHECK(space->free <= space->total);
             CHECK(space->callerFree <= space->total);
             // The size the host reports for the filesystem holding the prefix.
             const std::wstring hostTotal = environment(L"TILLORA_TEST_DISK_TOTAL");
             if (!hostTotal.empty())
                 CHECK_EQUAL(space->total, std::stoull(hostTotal));
             const auto drive = diskSpace(L"c:");
             CHECK(drive.has_value() && drive->total == space->total);
         }},
        {"a missing folder or drive gives nothing",
         [] {
             CHECK(!diskSpace(L"C:\\no such folder\\below").has_value());
             const auto letter = absentDriveLetter();
             CHECK(letter.has_value());
             if (letter)
                 CHECK(!diskSpace(*letter + L"\\").has_value());
         }},
    };
}

// --- profile folders and printers ------------------------------------------------------

std::vector<testing::Case> profileCases() {
    return {
        {"the profile folders, or their fallbacks where the service is missing",
         [] {
             const ProfileFolders folders = profileFolders();
             CHECK(isFolder(folders.profilesRoot));
             CHECK(isFolder(folders.currentUser));
             CHECK(folders.currentUser.starts_with(folders.profilesRoot + L"\\"));
             CHECK_EQUAL(folders.currentUser, environment(L"USERPROFILE"));

             if (folders.allUsersSource == FolderSource::ProfileService) {
                 CHECK(isFolder(folders.allUsers));
             } else {
                 testing::note("GetAllUsersProfileDirectory is not implemented on this "
                               "system: checking the fallback to ALLUSERSPROFILE");
                 CHECK(folders.allUsersSource == FolderSource::Environment);
                 CHECK_EQUAL(folders.allUsers, environment(L"ALLUSERSPROFILE"));
                 CHECK(isFolder(folders.allUsers));
                 // without the variable: the common application-data folder, the same one
                 const std::wstring saved = environment(L"ALLUSERSPROFILE");
                 SetEnvironmentVariableW(L"ALLUSERSPROFILE", nullptr);
                 const ProfileFolders withoutVariable = profileFolders();
                 SetEnvironmentVariableW(L"ALLUSERSPROFILE", saved.c_str());
                 CHECK(withoutVariable.allUsersSource == FolderSource::CommonAppData);
                 CHECK_EQUAL(withoutVariable.allUsers, saved);
             }

             if (folders.defaultUserSource == FolderSource::ProfileService) {
                 CHECK(!folders.defaultUser.empty());
             } else {
                 testing::note("GetDefaultUserProfileDirectory is not implemented on this "
                               "system: checking the fallback to Default in the profiles root");
                 CHECK(folders.defaultUserSource == FolderSource::ProfilesRoot);
                 CHECK_EQUAL(folders.defaultUser, folders.profilesRoot + L"\\Default");
             }
         }},
        {"the printer list can be asked for",
         [] {
             const auto names = printerNames();
             CHECK(names.has_value());
             if (names)
                 for (const std::wstring& name : *names)
                     CHECK(!name.empty());
         }},
    };
}

// --- detached commands -----------------------------------------------------------------

std::vector<testing::Case> commandCases() {
    return {
        {"a hidden command interpreter run writes its file",
         [] {
             const fs::path out = scratch() / L"cmd-output.txt";
             CHECK(startDetached(L"cmd.exe", {L"/c", L"echo", L"ready>" + out.wstring()},
                                 WindowMode::Hidden));
             CHECK(child::waitForFile(out, 30000));
             // cmd may still be writing when the file appears
             std::vector<std::string> lines;
             for (int i = 0; i < 100 && lines.empty(); ++i, Sleep(50))
                 lines = child::readLines(out);
             CHECK(!lines.empty() && lines.front().starts_with("ready"));
         }},
        {"the start does not wait, and the program gets its arguments whole and hidden",
         [] {
             const fs::path record = scratch() / L"hidden.txt";
             std::vector<std::wstring> arguments = {L"--record-start", record.wstring(), L"1500"};
             arguments.insert(arguments.end(), awkwardArguments().begin(),
                              awkwardArguments().end());
             const ULONGLONG before = GetTickCount64();
             unsigned long processId = 0;
             CHECK(startDetached(child::selfPath(), arguments, WindowMode::Hidden, &processId));
             CHECK(GetTickCount64() - before < 1000);
             CHECK(processId != 0);
             CHECK(!fs::exists(record));
             CHECK(child::waitForFile(record, 30000));
             const auto lines = child::readLines(record);
             CHECK_EQUAL(lines.size(), awkwardArguments().size() + 1);
             if (lines.size() != awkwardArguments().size() + 1)
                 return;
             CHECK_EQUAL(lines[0], std::string("show=") + std::to_string(SW_HIDE));
             for (std::size_t i = 0; i < awkwardArguments().size(); ++i)
                 CHECK_EQUAL(lines[i + 1], toUtf8(awkwardArguments()[i]));
         }},
        {"the editor's window is shown maximised",
         [] {
             const fs::path record = scratch() / L"maximised.txt";
             CHECK(startDetached(child::selfPath(), {L"--record-start", record.wstring(), L"0"},
                                 WindowMode::Maximized));
             CHECK(child::waitForFile(record, 30000));
             const auto lines = child::readLines(record);
             CHECK(!lines.empty() && lines.front() == "show=" + std::to_string(SW_SHOWMAXIMIZED));
         }},
        {"a program that does not exist is reported",
         [] { CHECK(!startDetached(L"no-such-program-here.exe", {L"x"}, WindowMode::Hidden)); }},
    };
}

// --- single instance and file locks ----------------------------------------------------

std::vector<testing::Case> instanceCases() {
    const std::wstring name = L"tillora-test-" + std::to_wstring(GetCurrentProcessId());
    return {
        {"the instance mutex has one holder at a time",
         [name] {
             InstanceOutcome first = claimInstance(name);
             CHECK(first.result == ClaimResult::Claimed && first.claim);
             CHECK(claimInstance(name).result == ClaimResult::HeldElsewhere);
             CHECK_EQUAL(child::runSelf({L"--claim", name}), child::No);
             first.claim.reset();
             CHECK_EQUAL(child::runSelf({L"--claim", name}), child::Yes);
             CHECK(claimInstance(name).result == ClaimResult::Claimed);
         }},
        {"the run lock is one for the machine, apart from the session's instance",
         [name] {
             CHECK_EQUAL(machineMutexName(name), L"Global\\" + name);
             InstanceOutcome run = claimMachineWide(name);
             CHECK(run.result == ClaimResult::Claimed);
             CHECK_EQUAL(child::runSelf({L"--claim-machine", name}), child::No);
             CHECK(claimInstance(name).result == ClaimResult::Claimed);
             run.claim.reset();
             CHECK_EQUAL(child::runSelf({L"--claim-machine", name}), child::Yes);
         }},
        {"a program name with a backslash still gets a mutex of its own",
         [name] {
             CHECK_EQUAL(instanceMutexName(L"pos\\kp2"), std::wstring(L"Local\\pos_kp2"));
             const InstanceOutcome odd = claimInstance(name + L"\\odd");
             CHECK(odd.result == ClaimResult::Claimed);
             CHECK_EQUAL(child::runSelf({L"--claim", name + L"\\odd"}), child::No);
         }},
    };
}

struct OpenFile {
    explicit OpenFile(const fs::path& path) {
        std::ofstream(path, std::ios::binary) << "record 1\r\n";
        fd = _wopen(path.c_str(), _O_RDWR | _O_BINARY);
    }
    ~OpenFile() {
        if (fd >= 0)
            _close(fd);
    }
    int fd = -1;
};

std::vector<testing::Case> fileLockCases() {
    return {
        {"two processes' whole-file locks exclude each other",
         [] {
             const fs::path path = scratch() / L"TSinout.dat";
             OpenFile file(path);
             CHECK(file.fd >= 0);
             CHECK(lockWholeFile(file.fd, 1000));
             CHECK_EQUAL(child::runSelf({L"--try-lock", path.wstring(), L"300"}), child::No);
             unlockWholeFile(file.fd);
             CHECK_EQUAL(child::runSelf({L"--try-lock", path.wstring(), L"300"}), child::Yes);
         }},
        {"a lock held briefly elsewhere is waited for, up to the time allowed",
         [] {
             const fs::path path = scratch() / L"Zemployee.dat";
             const fs::path marker = scratch() / L"holder-has-lock";
             OpenFile file(path);
             CHECK(file.fd >= 0);
             CHECK(startDetached(child::selfPath(),
                                 {L"--hold-lock", path.wstring(), marker.wstring(), L"1500"},
                                 WindowMode::Hidden));
             CHECK(child::waitForFile(marker, 30000));
             CHECK(!lockWholeFile(file.fd, 100));
             CHECK(lockWholeFile(file.fd, 20000));
             unlockWholeFile(file.fd);
         }},
        {"a descriptor that is not open cannot be locked",
         [] {
             CHECK(!lockWholeFile(-1, 100));
             unlockWholeFile(-1); // and unlocking it is harmless
         }},
    };
}

std::vector<testing::Case> flushCases() {
    return {
        {"a written file is flushed to the disk through its descriptor",
         [] {
             const fs::path path = scratch() / L".tlra-0badcafe.partial";
             OpenFile file(path);
             CHECK(file.fd >= 0);
             CHECK_EQUAL(_write(file.fd, "record 2\r\n", 10), 10);
             CHECK(flushFile(file.fd));
         }},
        {"a descriptor that is not open is not flushed", [] { CHECK(!flushFile(-1)); }},
        // Unbuffered reads need whole sectors: the short last piece and a file of no
        // bytes are where such code goes wrong.
        {"a file is read back whole past the cache while another holds it open",
         [] {
             for (const std::size_t size : {std::size_t(0), std::size_t(3 << 20) + 123}) {
                 const fs::path path = scratch() / L"SalesHistory.dat";
                 std::string bytes(size, '\0');
                 for (std::size_t i = 0; i < size; ++i)
                     bytes[i] = char(i * 7 + i / 4096);
                 std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
                 const int holder = _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
                 CHECK(holder >= 0);
                 std::string read;
                 const UncachedRead result =
                     readUncached(path.wstring(), 1 << 20, [&](const char* piece, std::size_t n) {
                         read.append(piece, n);
                         return true;
                     });
                 _close(holder);
                 CHECK(result.end == UncachedRead::End::Read);
                 CHECK(read == bytes);
             }
             const UncachedRead missing =
                 readUncached((scratch() / L"gone.dat").wstring(), 1 << 20,
                              [](const char*, std::size_t) { return true; });
             CHECK(missing.end == UncachedRead::End::Failed);
             CHECK_EQUAL(missing.error, static_cast<unsigned long>(ERROR_FILE_NOT_FOUND));
             CHECK(!errorMessage(missing.error).empty());
         }},
    };
}

std::vector<testing::Case> heldFileCases() {
    return {
        {"a file held open and written is looked at through a handle of its own",
         [] {
             // As the point-of-sale program holds its file: writing, sharing nothing.
             const fs::path path = scratch() / L"Ztrans.dat";
             const HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
             DWORD written = 0;
             CHECK(WriteFile(writer, "sale 1\r\nsale 2\r\n", 16, &written, nullptr));
             // A time the directory entry's whole seconds could not give back.
             const FILETIME stamp{1234567, 0x01db0000};
             CHECK(SetFileTime(writer, nullptr, nullptr, &stamp));
             const HandleFacts facts = factsByHandle(path.wstring());
             CloseHandle(writer);
             CHECK(facts.kind == HandleFacts::Kind::File && !facts.readOnly);
             CHECK_EQUAL(facts.size, std::uint64_t(16));
             CHECK_EQUAL(facts.lastWrite, (std::int64_t(0x01db0000) << 32) + 1234567);
             CHECK(factsByHandle((scratch() / L"none\\x.dat").wstring()).kind ==
                   HandleFacts::Kind::Missing);
         }},
        {"a rename held up by a scanner is tried again, up to its time",
         [] {
             const fs::path from = scratch() / L".tlra-00c0ffee.partial";
             const fs::path to = scratch() / L"Zitem.dat";
             std::ofstream(to, std::ios::binary) << "old";
             std::ofstream(from, std::ios::binary) << "new";
             // The scanner reads the new file and lets no one delete or rename it.
             const HANDLE scanner =
                 CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
             unsigned long error = 0;
             CHECK(!moveFile(from.wstring(), to.wstring(), true, 300, &error));
             CHECK_EQUAL(error, static_cast<unsigned long>(ERROR_SHARING_VIOLATION));
             std::thread done([scanner] {
                 Sleep(700);
                 CloseHandle(scanner);
             });
             const ULONGLONG before = GetTickCount64();
             CHECK(moveFile(from.wstring(), to.wstring(), true, SharingRetryMs, &error));
             const ULONGLONG took = GetTickCount64() - before;
             done.join();
             CHECK(took >= 500 && took < SharingRetryMs);
             CHECK(child::readLines(to) == std::vector<std::string>{"new"});
         }},
    };
}

// --- paths ------------------------------------------------------------------------------

std::vector<testing::Case> pathCases() {
    return {
        {"paths take the extended form that passes 260 characters",
         [] {
             const std::vector<std::pair<std::wstring, std::wstring>> table = {
                 {L"C:\\Tillora\\ini\\Z1.dat", L"\\\\?\\C:\\Tillora\\ini\\Z1.dat"},
                 {L"e:/TLRAbackup//Tillora/", L"\\\\?\\e:\\TLRAbackup\\Tillora"},
                 {L"C:\\a\\.\\b\\..\\c", L"\\\\?\\C:\\a\\c"},
                 {L"C:\\..\\a", L"\\\\?\\C:\\a"},
                 {L"c:\\", L"\\\\?\\c:\\"},
                 {L"\\\\server\\share\\TLRAbackup\\x.dat",
                  L"\\\\?\\UNC\\server\\share\\TLRAbackup\\x.dat"},
                 {L"//server/share/../../x", L"\\\\?\\UNC\\server\\share\\x"},
                 {L"\\\\?\\C:\\a/b", L"\\\\?\\C:\\a/b"},
                 {L"\\\\?\\UNC\\server\\share", L"\\\\?\\UNC\\server\\share"},
                 {L"\\\\.\\COM1", L"\\\\.\\COM1"},
                 {L"Tillora\\x.dat", L"Tillora\\x.dat"},
                 {L"c:x.dat", L"c:x.dat"},
                 {L"\\Tillora", L"\\Tillora"},
                 {L"", L""},
             };
             for (const auto& [path, extended] : table)
                 CHECK_EQUAL(extendedPath(path), extended);
         }},
    };
}

const std::map<std::string, std::vector<testing::Case> (*)()> groups = {
    {"quoting", quotingCases},   {"drives", driveCases},    {"diskspace", diskSpaceCases},
    {"profiles", profileCases},  {"command", commandCases}, {"instance", instanceCases},
    {"filelock", fileLockCases}, {"flush", flushCases},     {"heldfiles", heldFileCases},
    {"paths", pathCases},
};

} // namespace

int main() {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::vector<std::wstring> arguments(argv + 1, argv + count);
    LocalFree(argv);

    if (const auto code = child::runMode(arguments))
        return *code;

    const std::string wanted = arguments.empty() ? "all" : toUtf8(arguments.front());
    int result = 0;
    bool found = false;
    for (const auto& [name, cases] : groups) {
        if (wanted != "all" && wanted != name)
            continue;
        found = true;
        result |= testing::run(name, cases());
    }
    std::error_code ignored;
    fs::remove_all(scratch(), ignored);
    if (!found) {
        std::printf("no test group \"%s\"\n", wanted.c_str());
        return 2;
    }
    return result;
}
