#pragma once

#include <QString>

namespace tillora {

// Where a helper program that ships beside this one is found by default: on Windows the
// executable in the program's own folder ("restic.exe" beside tillora-backup.exe), so
// the store's PC needs nothing installed; elsewhere the name alone, found on the PATH.
QString defaultHelperProgram(const QString& baseName);

} // namespace tillora
