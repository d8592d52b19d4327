#include "DesktopSession.h"
#include "DriveFolderMemory.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace tillora {

DesktopSession openDesktopSession(AutostartProgram program) {
    const DriveFolderMemory memory(
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    DesktopSession session;
    session.driveFolder = memory.choose(qEnvironmentVariable("WINEPREFIX"));
    memory.remember(session.driveFolder);

    program.winePrefix = winePrefixOf(session.driveFolder);
    if (program.executable.isEmpty())
        program.executable = QCoreApplication::applicationFilePath();
    session.autostart = std::make_unique<SessionAutostart>(std::move(program));
    return session;
}

} // namespace tillora
