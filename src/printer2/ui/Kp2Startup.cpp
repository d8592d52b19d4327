#include "Kp2Startup.h"

#include "Platform.h"

#include <QCoreApplication>

namespace tillora {

Kp2Program startKitchenPrinter2(Platform& platform, Clock& clock, Prompts& prompts,
                                ProgramValues& values, const std::function<void()>& showRefusal) {
    Kp2Program program;
    program.instance = platform.claimSingleInstance(QString::fromLatin1(Kp2ProgramName));
    if (!program.instance) {
        showRefusal();
        return program;
    }
    program.window = std::make_unique<Form2>(platform, clock, prompts, values);
    program.window->Form_Load();
    // "End" leaves the main loop once its click is handled; nothing can cancel that, so the
    // program never stays behind without its icon and its schedule.
    QObject::connect(
        program.window.get(), &Form2::endRequested, program.window.get(),
        [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    return program;
}

} // namespace tillora
