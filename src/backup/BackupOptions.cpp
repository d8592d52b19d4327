#include "BackupOptions.h"

#include "DataFiles.h"
#include "IniKeys.h"
#include "Platform.h"
#include "ProgramValues.h"

namespace tillora {

namespace {

const std::array<IniKey<BackupOptions>, 7> Keys{{
    {"Backup/SkipUnchanged", &BackupOptions::skipUnchanged},
    {"Backup/KeepVersionsDays", &BackupOptions::keepVersionsDays, 0, 3650},
    {"Backup/KeepWeeklyVersions", &BackupOptions::keepWeeklyVersions, 0, 520},
    {"Backup/KeepMonthlyVersions", &BackupOptions::keepMonthlyVersions, 0, 1200},
    {"Backup/CatchUpMissedRun", &BackupOptions::catchUpMissedRun},
    {"Backup/IncludeOtherFolders", &BackupOptions::includeOtherFolders},
    {"Backup/CatchUpUntil", &BackupOptions::catchUpUntil},
}};

} // namespace

QString BackupOptions::windowsPath(const ProgramValues& values) {
    return DataFiles::path(values.DataDIR, DataFile::BackupOptions);
}

BackupOptions BackupOptions::load(const Platform& platform, const ProgramValues& values) {
    return readIniKeys(readIniFile(platform.nativePath(windowsPath(values))), Keys);
}

SaveResult BackupOptions::save(const Platform& platform, const ProgramValues& values) const {
    // The ini folder is made when missing, but never a drive that is not there.
    if (const QString problem = DataFiles::makeFolder(platform, values.DataDIR); !problem.isEmpty())
        return {false, problem};
    const QString path = platform.nativePath(windowsPath(values));
    QVariantMap stored = readIniFile(path);
    writeIniKeys(stored, Keys, *this);
    return writeIniFile(path, stored);
}

} // namespace tillora
