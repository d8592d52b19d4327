#include "SingleInstance.h"

#include "TLRAerror.h"

namespace tillora {

std::unique_ptr<InstanceLock> claimOrExplain(Platform& platform, const QString& programName) {
    auto lock = platform.claimSingleInstance(programName);
    if (!lock) {
        TLRAerror error;
        error.exec();
    }
    return lock;
}

} // namespace tillora
