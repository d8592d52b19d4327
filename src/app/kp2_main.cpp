// The kitchen printer 2 program: switches the second kitchen printer on and off by its
// weekly schedule from the notification area.
#include "Clock.h"
#include "DesktopSession.h"
#include "Kp2Startup.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "SingleInstance.h"
#include "TLRAerror.h"
#include "WidgetPrompts.h"

#include <QApplication>

using namespace tillora;

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(Kp2ProgramName));
    // The window hides into the notification area; only "End" ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    const auto session = openDesktopSession(
        {QString::fromLatin1(Kp2ProgramName),
         QStringLiteral("Tillora Kitchen Printer 2"),
         QStringLiteral("Switches the second kitchen printer on and off by its weekly schedule"),
         {},
         {}});
    const auto platform = createPlatform(session.driveFolder);
    // The installer's request: the running copy ends, and this start tells how that went
    // through its exit code, showing nothing.
    if (QApplication::arguments().contains(QLatin1String(EndWhenIdleOption))) {
        return exitCodeOf(endRunningCopy(*platform, QString::fromLatin1(Kp2ProgramName),
                                         std::chrono::minutes(1)));
    }
    SystemClock clock;
    WidgetPrompts prompts;
    ProgramValues values;
    const QString name = QString::fromLatin1(Kp2ProgramName);
    Kp2Program program = startKitchenPrinter2(*platform, clock, prompts, values, [&] {
        TLRAerror error;
        error.exec();
        askRunningCopyToShow(*platform, name);
    });
    if (!program.window)
        return 1;
    InstanceRequests requests(*platform, name);
    QObject::connect(&requests, &InstanceRequests::showRequested, program.window.get(),
                     &Form2::showWindow);
    QObject::connect(&requests, &InstanceRequests::endRequested, program.window.get(), &Form2::End);
    if (session.autostart)
        program.window->wireAutostart(*session.autostart);
    return app.exec();
}
