#pragma once

#include "SessionAutostart.h"

#include <memory>

namespace tillora {

// How a program meets the desktop session: the drive folder it runs with and its entry
// in the session's autostart folder.
struct DesktopSession {
    // For createPlatform; empty where drive letters are the system's own.
    QString driveFolder;
    // The session's autostart entry on Linux, the Startup folder's shortcut on Windows.
    std::unique_ptr<Autostart> autostart;
};

// Chooses the drive folder (WINEPREFIX's, else the one the program last ran with, else
// the default) and remembers it, in the user's settings folder, for the next start. The
// autostart entry of `program` carries the chosen folder's WINEPREFIX and, unless given,
// this program's own path. Call it once the application's name is set.
DesktopSession openDesktopSession(AutostartProgram program);

} // namespace tillora
