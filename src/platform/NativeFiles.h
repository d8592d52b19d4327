#pragma once

#include <QDateTime>
#include <QString>

#include <chrono>
#include <filesystem>
#include <vector>

namespace tillora {

// File names as the system gives them. On Linux a name is bytes and need not be valid
// UTF-8; a QString cannot hold such a name, so the backup lists, opens and renames files
// through std::filesystem paths and turns a name into text only to show it.

// A native path held in a QString (as Platform::nativePath returns it) as a path.
std::filesystem::path toFsPath(const QString& nativePath);

// A name or path as text for the operator; bytes that are not valid text are replaced.
QString displayName(const std::filesystem::path& path);

// True when the name's text form names the same file (always on Windows; on Linux when
// the bytes are valid UTF-8).
bool nameIsText(const std::filesystem::path& name);

// What a stat of one path tells: kind, size, modification time, permission bits.
struct FileFacts {
    enum class Kind { Missing, File, Folder, Other };
    Kind kind = Kind::Missing;
    qint64 size = 0;
    std::chrono::nanoseconds modified{0}; // comparable between files, not a calendar time
    unsigned permissions = 0;             // rwx bits for owner, group and others (Linux)
    int error = 0;                        // errno when the path could not be looked at

    bool isFile() const { return kind == Kind::File; }
};
// `followLinks` looks at what a link leads to (a source file), else at the link itself.
FileFacts fileFacts(const std::filesystem::path& path, bool followLinks);

// A folder held open, so that each of its files is looked at by its name alone rather
// than by a full path the system walks again for every file (Linux); elsewhere, or when
// the folder cannot be opened, the same as fileFacts on the full path.
class OpenFolder {
public:
    explicit OpenFolder(std::filesystem::path folder);
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    FileFacts factsOf(const std::filesystem::path& name, bool followLinks) const;

private:
    std::filesystem::path folder_;
    int fd_ = -1;
};

// The names in a folder, sorted: files (and anything else that is no folder, so that a
// link to nothing or a pipe is accounted for) and folders apart.
struct FolderListing {
    bool readable = false;
    QString reason; // why the folder could not be listed
    std::vector<std::filesystem::path> files;
    std::vector<std::filesystem::path> folders;
};
FolderListing listFolder(const std::filesystem::path& folder);

// The changes to folders and names the backup makes, each true when it did what it says.
// On Linux they are std::filesystem's; on Windows the system's own, which take paths past
// its old limit of 260 characters where the standard library and the C runtime do not.
// Removes a file (or an empty folder); false also when there was none.
bool removeFile(const std::filesystem::path& path);
// Removes a folder and everything below it; true when nothing is left there.
bool removeFolderTree(const std::filesystem::path& folder);
// Creates a folder and every missing one above it; true when it is there as a folder.
bool makeFolders(const std::filesystem::path& folder);
// Renames a file or folder; a file of the new name is replaced.
bool renameEntry(const std::filesystem::path& from, const std::filesystem::path& to);

// Descriptor-level file operations for the backup copy. Descriptors are the C runtime's
// (QFile opens them with QFile::open(int, ...)); on failure errno says why.
int openForReading(const std::filesystem::path& path);
// A new file only this user may read or write; fails when the name is taken.
int createNewFile(const std::filesystem::path& path);

// Copies up to `bytes` from `in` to `out` inside the system, without passing them through
// this process (copy_file_range on Linux): the bytes copied, 0 at the end, -1 on failure.
// `unsupported` is set, and nothing copied, where the system cannot do it for these two
// files; the caller then reads and writes itself.
qint64 copyInSystem(int in, int out, qint64 bytes, bool& unsupported);

// Starts writing `bytes` of `fd` from `offset` to the disk without waiting for them
// (Linux); nothing elsewhere.
void startWriteBack(int fd, qint64 offset, qint64 bytes);

// Gives a copy the permission bits `permissions` (rwx for owner, group, others) where
// the file system keeps them; a file system without them (FAT) and Windows, where a
// copy's access comes from its folder, leave the file as it is.
void setPermissions(int fd, unsigned permissions);
void setPermissions(const std::filesystem::path& path, unsigned permissions);

// Lets the owner write a file marked read-only (the permission bit on Linux, the
// read-only attribute on Windows); false, with `reason` when given, when it stays so.
bool makeWritable(const std::filesystem::path& path, QString* reason = nullptr);

// Sets the modification time (as FileFacts::modified gives it) of a written file: the
// open one where the system keeps it so (Linux), else the closed one (on Windows closing
// a written file stamps it again). Call both; each does its part.
void setModifiedOnOpenFile(int fd, std::chrono::nanoseconds modified);
void setModifiedOnClosedFile(const std::filesystem::path& path, std::chrono::nanoseconds modified);

// A modification time as FileFacts::modified gives it, as the date and time it stands for.
QDateTime calendarTime(std::chrono::nanoseconds modified);

// A modification time (as FileFacts::modified gives it) that no file of a store has: 2
// January 1980, the first day every file system a backup goes to can hold.
std::chrono::nanoseconds timeNoFileHas();

} // namespace tillora
