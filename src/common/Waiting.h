#pragma once

#include <QObject>

#include <chrono>
#include <functional>

namespace tillora {

// Waits while the event loop keeps running (timers, clicks, repaints). The wait sleeps
// in the event loop: an idle wait costs no CPU.
void pause(std::chrono::milliseconds duration);

// Runs the event loop until `done` gives true or the limit passes; `done` is checked
// whenever an event was handled and at least every `poll`. Returns the last `done`.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit,
               std::chrono::milliseconds poll = std::chrono::milliseconds(50));

} // namespace tillora
