#include "DesktopSession.h"
#include "StartupShortcut.h"

#include <QCoreApplication>

namespace tillora {

// Drive letters are the system's own, and programs start with the session from the
// all-users Startup folder, where the installer and the startup shortcuts window put
// their shortcut too.
DesktopSession openDesktopSession(AutostartProgram program) {
    if (program.executable.isEmpty())
        program.executable = QCoreApplication::applicationFilePath();
    DesktopSession session;
    session.autostart = std::make_unique<StartupShortcut>(std::move(program));
    return session;
}

} // namespace tillora
