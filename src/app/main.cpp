// tillora-backup: the resident backup and texting utility.
#include "BackupApplication.h"
#include "Form1.h"
#include "SingleInstance.h"
#include "WidgetPrompts.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tillora-backup"));
    // The program lives in the notification area with its window hidden.
    QApplication::setQuitOnLastWindowClosed(false);

    auto platform = tillora::createPlatform();
    const auto instance = tillora::claimOrExplain(*platform, QStringLiteral("tillora-backup"));
    if (!instance)
        return 1;

    tillora::SystemClock clock;
    tillora::WidgetPrompts prompts;
    tillora::BackupApplication program(*platform, clock, prompts);
    program.start();
    tillora::ShowRequests showRequests(*platform, QStringLiteral("tillora-backup"));
    QObject::connect(&showRequests, &tillora::ShowRequests::showRequested, &program.form(),
                     &tillora::Form1::showMainWindow);
    return QApplication::exec();
}
