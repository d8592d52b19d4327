#pragma once

#include "Platform.h"

#include <QString>

namespace tillora {

struct MoveResult {
    bool ok = false;
    QString reason; // for the operator; empty on success
    explicit operator bool() const { return ok; }
};

// Moves one file (a Windows-form path) into `targetFolder`, replacing a file of the same
// name there. The copy goes to a temporary name in the target folder and is renamed over
// the target; the source is deleted only once the target holds all its bytes. When the
// move cannot be made (source gone, target folder missing or not writable, source not
// removable) both folders are left as they were and the reason is returned.
MoveResult moveFileToFolder(const Platform& platform, const QString& sourceFile,
                            const QString& targetFolder);

} // namespace tillora
