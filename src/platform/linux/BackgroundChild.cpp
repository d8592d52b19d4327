#include "BackgroundChild.h"

namespace tillora {

// A child here has no console window of its own, and SIGTERM reaches it as it is.
void runAsBackgroundChild(QProcess&) {
}

} // namespace tillora
