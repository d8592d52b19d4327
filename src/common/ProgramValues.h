#pragma once

#include <QString>

namespace tillora {

// The program-wide folder and status values. One instance lives as long as the program
// and is passed to the windows and engines that read or set it. Folder texts keep their
// Windows form with a trailing backslash; files are reached through the platform's
// path conversion.
struct ProgramValues {
    QString DataDIR = QStringLiteral("c:\\Tillora\\");
    QString RemoteDIR = QStringLiteral("c:\\Tillora\\");
    QString ShiftraDIR = QStringLiteral("c:\\shiftra\\");
    QString CompanyName;
    // "" while a network re-mapping is pending, then "SUCCESS" or "FAIL".
};

} // namespace tillora
