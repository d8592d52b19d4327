#include "Kp2Startup.h"

#include "Platform.h"

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
    return program;
}

} // namespace tillora
