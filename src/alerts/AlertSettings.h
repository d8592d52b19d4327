#pragma once

#include "FileSave.h"

#include <QString>

namespace tillora {

class Platform;
struct ProgramValues;

// Which backup alerts the owner wants, group [Alerts] of <DataDIR>ini\Notify.ini (Qt's INI
// format). The file's other groups belong to the delivery settings and are kept as they
// are when this group is saved. A missing file or a damaged value means the default.
struct AlertSettings {
    bool backupFailed = true; // BackupFailed: a scheduled or catch-up run that did not complete
    int staleAfterDays = 2;   // StaleAfterDays: days without a backup before a warning; 0 = off
    bool weekly = true;       // Weekly: the Monday summary

    static QString windowsPath(const ProgramValues& values); // "c:\Tillora\ini\Notify.ini"
    static AlertSettings load(const Platform& platform, const ProgramValues& values);
    SaveResult save(const Platform& platform, const ProgramValues& values) const;
};

} // namespace tillora
