#pragma once

#include <QString>

namespace tillora {

// Where a helper program that ships beside this one is found by default: on Windows the
// executable in the program's own folder ("restic.exe" beside tillora-backup.exe), else
// the one on the PATH, else (to name where it was looked for) the one beside; elsewhere
// the name alone, found on the PATH.
QString defaultHelperProgram(const QString& baseName);

// Those places in words, to say where a missing helper belongs: "beside
// tillora-backup.exe or on the PATH".
QString helperProgramPlaces(const QString& baseName);

} // namespace tillora
