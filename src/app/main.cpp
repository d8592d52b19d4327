// tillora-backup: the resident backup and texting utility.
#include "BackupApplication.h"
#include "DesktopSession.h"
#include "Form1.h"
#include "SingleInstance.h"
#include "WidgetPrompts.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tillora-backup"));
    // The program lives in the notification area with its window hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    const auto session =
        tillora::openDesktopSession({QStringLiteral("tillora-backup"),
                                     QStringLiteral("Tillora Auto Backup"),
                                     QStringLiteral("Backs up the store's data every night"),
                                     {},
                                     {}});
    auto platform = tillora::createPlatform(session.driveFolder);
    // The installer's request: the running copy ends once its backup is done, and this
    // start tells how that went through its exit code, showing nothing.
    if (QApplication::arguments().contains(QLatin1String(tillora::EndWhenIdleOption))) {
        return tillora::exitCodeOf(tillora::endRunningCopy(
            *platform, QStringLiteral("tillora-backup"), tillora::BackupApplication::EndWaitLimit));
    }
    const auto instance = tillora::claimOrExplain(*platform, QStringLiteral("tillora-backup"));
    if (!instance)
        return 1;

    tillora::SystemClock clock;
    tillora::WidgetPrompts prompts;
    tillora::BackupApplication program(*platform, clock, prompts);
    if (session.autostart)
        program.form().wireAutostart(*session.autostart);
    program.start();
    tillora::InstanceRequests requests(*platform, QStringLiteral("tillora-backup"));
    QObject::connect(&requests, &tillora::InstanceRequests::showRequested, &program.form(),
                     &tillora::Form1::showMainWindow);
    QObject::connect(&requests, &tillora::InstanceRequests::endRequested, &program,
                     &tillora::BackupApplication::endWhenIdle);
    // The program's one way out: the end path leaves this loop (BackupApplication::endProcessNow).
    return QApplication::exec();
}
