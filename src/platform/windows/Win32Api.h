#pragma once

// The Win32 side of the platform seam. It uses only the Win32 API and the standard
// library, so it builds with any Windows compiler (and cross-builds with mingw-w64) and
// is tested on its own, without Qt. Paths and names are UTF-16 (std::wstring), as the
// wide-character Win32 functions take them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tillora::win32 {

// UTF-8 <-> UTF-16. Invalid input is replaced, never dropped silently.
std::wstring fromUtf8(const std::string& text);
std::string toUtf8(const std::wstring& text);

// The drive selector's text for one drive: "c:", "e: [BACKUP]", "z: [\\server\share]".
// A share wins over a label; `letter` may be given as "C", "C:" or "C:\".
std::wstring driveText(const std::wstring& letter, const std::wstring& label,
                       const std::wstring& share);

// Every logical drive, in letter order, in the drive selector's text form. A mapped drive
// shows its share even while the connection is down, so it can be re-mapped; a drive with
// no medium (an empty card reader) shows just its letter.
std::vector<std::wstring> driveTexts();

// Byte counts in the order the disk-space query returns them.
struct DiskSpace {
    std::uint64_t callerFree = 0;
    std::uint64_t total = 0;
    std::uint64_t free = 0;
};

// Disk space of the drive holding `path` (a drive "e:", a root "e:\" or any folder);
// nothing when the path cannot be queried (no such drive or folder, no medium).
std::optional<DiskSpace> diskSpace(const std::wstring& path);

// Where a profile folder came from: the profile service itself, or a fallback for a
// system that does not implement it (Wine 8 returns FALSE from
// GetAllUsersProfileDirectory and GetDefaultUserProfileDirectory). The all-users folder
// falls back to the ALLUSERSPROFILE variable, then to the common application-data folder,
// which is the same folder on Windows Vista and later; the default user's folder falls back
// to "Default" in the profiles root, where Windows Vista and later keep it.
enum class FolderSource { ProfileService, Environment, CommonAppData, ProfilesRoot, None };

struct ProfileFolders {
    std::wstring allUsers;
    std::wstring defaultUser;
    std::wstring profilesRoot;
    std::wstring currentUser; // through the process token, opened with query rights
    FolderSource allUsersSource = FolderSource::None;
    FolderSource defaultUserSource = FolderSource::None;
};

// The four profile folders; a folder the system cannot tell stays empty.
ProfileFolders profileFolders();

// One argument quoted so that CommandLineToArgvW and the C runtime give it back
// unchanged: blanks, tabs, quotes and backslashes before a quote are all preserved.
std::wstring quoteArgument(const std::wstring& argument);

// The program followed by its quoted arguments, as CreateProcess takes it. The program
// part is quoted by its own rule (no backslash escapes there); nothing is ever handed to
// a command interpreter. Empty when the program name cannot be expressed (it holds a
// quote or a line break, which no program name contains).
std::wstring commandLine(const std::wstring& program, const std::vector<std::wstring>& arguments);

// A new job object holding the process `processId`, which ends every process in it when
// its last handle is closed; nothing when the job could not be made or joined. A process
// the child starts later is in the job too.
void* killOnCloseJobFor(unsigned long processId);
void closeJob(void* job);

enum class WindowMode {
    Hidden,   // no console window, and a window program is told to stay hidden
    Maximized // a window program is shown maximised (the text editor)
};

// The arguments of the "net use" command that maps `letter` ("z:") to `share`
// ("\\server\share"), each trimmed of surrounding blanks; an empty share is left out.
std::vector<std::wstring> netUseArguments(const std::wstring& letter, const std::wstring& share);

// The system text editor, and how a program is shown: the editor maximised for the
// operator, everything else (the network re-mapping) hidden.
inline constexpr const wchar_t* EditorProgram = L"notepad.exe";
WindowMode windowModeFor(const std::wstring& program);

// Starts a program detached and returns at once, without waiting for it; false when it
// could not be started. `processId` receives the new process's id when given.
bool startDetached(const std::wstring& program, const std::vector<std::wstring>& arguments,
                   WindowMode mode, unsigned long* processId = nullptr);

// Installed printers (local and connected), in the system's order; nothing when the
// print spooler cannot be asked.
std::optional<std::vector<std::wstring>> printerNames();

// Held while this process is the running instance of a program.
class InstanceClaim {
public:
    explicit InstanceClaim(void* mutex)
        : mutex_(mutex) {}
    ~InstanceClaim();
    InstanceClaim(const InstanceClaim&) = delete;
    InstanceClaim& operator=(const InstanceClaim&) = delete;

private:
    void* mutex_;
};

enum class ClaimResult { Claimed, HeldElsewhere, Failed };

struct InstanceOutcome {
    ClaimResult result = ClaimResult::Failed;
    std::unique_ptr<InstanceClaim> claim; // set only when Claimed
};

// The session-wide name of a program's instance mutex: "Local\" and the program name,
// with characters a mutex name may not hold (backslashes) replaced.
std::wstring instanceMutexName(const std::wstring& programName);

// Claims the program's instance mutex; HeldElsewhere when another holder has it
// (another process, or an earlier claim of this one).
InstanceOutcome claimInstance(const std::wstring& programName);

// The machine-wide name of a lock ("Global\" and the name, cleaned as above): one holder
// among every session of the machine, so two users logged on at once share it.
std::wstring machineMutexName(const std::wstring& name);

// Claims the machine-wide lock `name`; HeldElsewhere when a process of any session holds
// it (one of another user cannot even be opened, which is told the same way).
InstanceOutcome claimMachineWide(const std::wstring& name);

// Keeps the computer from sleeping while the calling thread works (SetThreadExecutionState),
// or lets it sleep again; the state belongs to the thread, so both calls come from the same
// one. False when the system refused.
bool keepAwake(bool awake);

// The extended form of a path, which the file functions take past MAX_PATH (260
// characters) whatever the machine's long-path policy: "C:\a" becomes "\\?\C:\a" and
// "\\server\share\a" becomes "\\?\UNC\server\share\a". That form is taken as it
// stands, so slashes become backslashes and "." and ".." steps are resolved here, as the
// system would have done. A path already extended (or a device path "\\.\") and a
// relative one are returned unchanged. Every function below that takes a path converts it.
std::wstring extendedPath(const std::wstring& path);

// What the open file says of itself (GetFileInformationByHandle). A file another program
// holds open and writes has its directory entry brought up to date late (NTFS), so its
// size and time are asked of a handle of its own, opened for its attributes only: that
// needs no sharing, so even a file held open exclusively is looked at.
struct HandleFacts {
    enum class Kind { Missing, File, Folder, Unknown };
    Kind kind = Kind::Unknown; // Unknown: the file could not be opened even so (`error`)
    std::uint64_t size = 0;
    std::int64_t lastWrite = 0; // 100-nanosecond ticks since 1601 (a FILETIME)
    bool readOnly = false;
    unsigned long error = 0;
};
HandleFacts factsByHandle(const std::wstring& path);

// Renames `from` to `to` (replacing a file there when `replace`), through to the disk
// before it returns (MOVEFILE_WRITE_THROUGH). A sharing violation (a virus scanner that
// opened the new file to look at it) is tried again, with growing pauses, until
// `retryMs` have passed; any other failure is final at once. `error` gets the Win32 code.
inline constexpr unsigned SharingRetryMs = 4000;
bool moveFile(const std::wstring& from, const std::wstring& to, bool replace,
              unsigned retryMs = SharingRetryMs, unsigned long* error = nullptr);

// One entry of a folder: its name and whether it is a folder (a link to a folder is one).
struct FolderEntry {
    std::wstring name;
    bool folder = false;
};
// The entries of a folder, without "." and ".."; nothing, with `error`, when it cannot be
// listed.
std::optional<std::vector<FolderEntry>> listFolder(const std::wstring& folder,
                                                   unsigned long* error = nullptr);

// Creates a folder and every missing folder above it; true when it exists as a folder.
bool createFolders(const std::wstring& folder, unsigned long* error = nullptr);
// Removes a file, or an empty folder; false when it could not, or there was none
// (ERROR_FILE_NOT_FOUND).
bool removeEntry(const std::wstring& path, unsigned long* error = nullptr);
// Removes a folder with everything below it (links are removed, not followed), or a file;
// true when nothing is left there.
bool removeTree(const std::wstring& path, unsigned long* error = nullptr);
// Clears the read-only attribute of a file.
bool clearReadOnly(const std::wstring& path, unsigned long* error = nullptr);
// Sets the last-write time of a closed file (100-nanosecond ticks since 1601).
bool setLastWriteTime(const std::wstring& path, std::int64_t ticks);

// The serial number of the volume of a drive ("e:" or "e:"); nothing when the drive is
// missing, has no medium or cannot tell.
std::optional<std::uint32_t> volumeSerial(const std::wstring& drive);

// Locks a whole file, opened through the C runtime (`fd`), exclusively against other
// processes, retrying until `timeoutMs` has passed; false when the lock could not be had
// or `fd` is not an open file.
bool lockWholeFile(int fd, unsigned timeoutMs);
// Releases a lock taken by lockWholeFile through the same descriptor.
void unlockWholeFile(int fd);

// Writes the file's data and metadata, opened through the C runtime (`fd`), from the
// system's cache to the disk (FlushFileBuffers); false when that failed or `fd` is not
// an open file.
bool flushFile(int fd);

// How reading a file past the system's cache ended; `error` is the Win32 error code.
struct UncachedRead {
    enum class End { Read, Stopped, Failed };
    End end = End::Read;
    unsigned long error = 0;
};

// Reads a whole file from the disk, not from the system's cache (FILE_FLAG_NO_BUFFERING),
// in pieces of `pieceBytes` (a multiple of the sector size, as such reads need), handing
// each to `take`; `take` returning false stops the reading. Others may hold the file open.
UncachedRead readUncached(const std::wstring& path, std::size_t pieceBytes,
                          const std::function<bool(const char*, std::size_t)>& take);

// 0 when the file can be opened for reading and writing with no sharing at all, so that
// no other program holds it open; else the Win32 error code.
unsigned long exclusiveOpenError(const std::wstring& path);
// Whether an error code says another program holds the file (a sharing or lock violation).
bool isSharingViolation(unsigned long error);

// The system's words for a Win32 error code.
std::wstring errorMessage(unsigned long error);

} // namespace tillora::win32
