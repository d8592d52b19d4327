#pragma once

#include "Platform.h"

#include <memory>

namespace tillora {

// Makes this process the one running copy of `programName`. When another copy already
// runs, shows "ERROR" (TLRAerror) until its "QUIT" is pressed and gives nothing: the
// caller then ends without touching any file.
std::unique_ptr<InstanceLock> claimOrExplain(Platform& platform, const QString& programName);

} // namespace tillora
