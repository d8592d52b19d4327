#pragma once

class QProcess;

namespace tillora {

// Prepares a helper program the resident program runs beside its event loop (restic):
// no console window, and on Windows inside a job object owned by the process object, so
// ending the helper also ends whatever it started. Call before start().
void runAsBackgroundChild(QProcess& process);

} // namespace tillora
