#include "DesktopSession.h"

namespace tillora {

// Drive letters are the system's own, and programs start with the session from the
// Startup folder, which the startup shortcuts window manages.
DesktopSession openDesktopSession(AutostartProgram program) {
    Q_UNUSED(program);
    return {};
}

} // namespace tillora
