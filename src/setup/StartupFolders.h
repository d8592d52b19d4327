#pragma once

#include "Platform.h"

#include <QString>
#include <QStringList>

namespace tillora {

// The two folders of the all-users start menu the startup shortcuts window works on.
struct StartupFolders {
    QString startup; // shortcuts started with Windows for every user
    QString product; // the product's own program-menu folder

    // Both folders below an all-users profile folder ("C:\Users\Public"); surrounding
    // blanks of the folder text are ignored.
    static StartupFolders below(const QString& allUsersFolder);
};

// A profile-service answer up to its first NUL character: the services fill a
// fixed-size buffer and leave the rest zeroed.
QString stripAtNul(const QString& text);

// The platform's profile folders with anything after a NUL cut off.
ProfileFolders readProfileFolders(const Platform& platform);

// Names of the files directly in `nativeFolder` that match a wildcard pattern, sorted
// without regard to case like a file list. "*.*" matches every file, with or without
// an extension. A missing folder lists nothing.
QStringList listFiles(const QString& nativeFolder, const QString& pattern);

} // namespace tillora
