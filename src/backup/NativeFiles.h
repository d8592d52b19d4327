#pragma once

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

// The names in a folder, sorted: files (and anything else that is no folder, so that a
// link to nothing or a pipe is accounted for) and folders apart.
struct FolderListing {
    bool readable = false;
    QString reason; // why the folder could not be listed
    std::vector<std::filesystem::path> files;
    std::vector<std::filesystem::path> folders;
};
FolderListing listFolder(const std::filesystem::path& folder);

} // namespace tillora
