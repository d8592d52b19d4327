#pragma once

#include <QString>

namespace tillora {

// A file the alerts are sent with, and its last good copy in the user's own settings
// folder. The original is read while its folder can be, and kept as the copy whenever it
// changed; when the folder cannot be read (a network data drive gone, a drive link left
// dangling) the copy stands in, so an alert about that drive still goes out as the owner
// set it. A file the owner removed takes its copy with it.
struct FileToRead {
    QString path;          // native path of the file to read
    bool fromCopy = false; // the original's folder could not be read
};

FileToRead originalOrLastCopy(const QString& original, const QString& copy);

} // namespace tillora
