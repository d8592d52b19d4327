#pragma once

#include "Form2.h"

#include <functional>
#include <memory>

namespace tillora {

class InstanceLock;

// The running kitchen printer 2 program: the single-instance claim and its window.
struct Kp2Program {
    std::unique_ptr<InstanceLock> instance;
    std::unique_ptr<Form2> window; // none when another instance already runs
};

// The program's name for the single-instance claim.
inline constexpr const char* Kp2ProgramName = "tillora-kp2";

// Claims the single instance before anything else. When another instance runs,
// `showRefusal` is called and nothing more happens: no file is read and no window built.
// Otherwise the window is built and loaded, and its "End" ends the main loop.
Kp2Program startKitchenPrinter2(Platform& platform, Clock& clock, Prompts& prompts,
                                ProgramValues& values, const std::function<void()>& showRefusal);

} // namespace tillora
