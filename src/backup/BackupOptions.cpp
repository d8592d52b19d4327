#include "BackupOptions.h"

#include "DataFiles.h"
#include "IniKeys.h"
#include "Platform.h"
#include "ProgramValues.h"

namespace tillora {

namespace {

const std::array<IniKey<BackupOptions>, 8> Keys{{
    {"Backup/SkipUnchanged", &BackupOptions::skipUnchanged},
    {"Backup/KeepVersionsDays", &BackupOptions::keepVersionsDays, 0, 3650},
    {"Backup/KeepWeeklyVersions", &BackupOptions::keepWeeklyVersions, 0, 520},
    {"Backup/KeepMonthlyVersions", &BackupOptions::keepMonthlyVersions, 0, 1200},
    {"Backup/CatchUpMissedRun", &BackupOptions::catchUpMissedRun},
    {"Backup/IncludeOtherFolders", &BackupOptions::includeOtherFolders},
    {"Backup/CatchUpUntil", &BackupOptions::catchUpUntil},
    {"Verify/MaxMinutes", &BackupOptions::verifyMaxMinutes, 0, 24 * 60},
}};

const std::array<IniKey<VerifySlices::Position>, 2> PositionKeys{{
    {"Verify/NextSlice", &VerifySlices::Position::slice, 0, VerifySlices::Count - 1},
    {"Verify/ReadUpTo", &VerifySlices::Position::after},
}};

const std::array<IniKey<BackupDriveIdentity>, 2> DriveKeys{{
    {"Drive/Letter", &BackupDriveIdentity::letter},
    {"Drive/Serial", &BackupDriveIdentity::serial},
}};

// Other groups and keys of the file are kept as they are.
template <typename Settings, std::size_t N>
SaveResult saveKeys(const Platform& platform, const ProgramValues& values,
                    const std::array<IniKey<Settings>, N>& keys, const Settings& settings) {
    // The ini folder is made when missing, but never a drive that is not there.
    if (const QString problem = DataFiles::makeFolder(platform, values.DataDIR); !problem.isEmpty())
        return {false, problem};
    const QString path = platform.nativePath(BackupOptions::windowsPath(values));
    QVariantMap stored = readIniFile(path);
    writeIniKeys(stored, keys, settings);
    return writeIniFile(path, stored);
}

} // namespace

QString BackupOptions::windowsPath(const ProgramValues& values) {
    return DataFiles::path(values.DataDIR, DataFile::BackupOptions);
}

BackupOptions BackupOptions::load(const Platform& platform, const ProgramValues& values) {
    return readIniKeys(readIniFile(platform.nativePath(windowsPath(values))), Keys);
}

SaveResult BackupOptions::save(const Platform& platform, const ProgramValues& values) const {
    return saveKeys(platform, values, Keys, *this);
}

VerifySlices::Position loadVerifyPosition(const Platform& platform, const ProgramValues& values) {
    return readIniKeys(readIniFile(platform.nativePath(BackupOptions::windowsPath(values))),
                       PositionKeys);
}

QString volumeSerialText(quint32 serial) {
    return QStringLiteral("%1-%2")
        .arg(serial >> 16, 4, 16, QLatin1Char('0'))
        .arg(serial & 0xffff, 4, 16, QLatin1Char('0'))
        .toUpper();
}

BackupDriveIdentity loadDriveIdentity(const Platform& platform, const ProgramValues& values) {
    return readIniKeys(readIniFile(platform.nativePath(BackupOptions::windowsPath(values))),
                       DriveKeys);
}

SaveResult saveDriveIdentity(const Platform& platform, const ProgramValues& values,
                             const BackupDriveIdentity& identity) {
    return saveKeys(platform, values, DriveKeys, identity);
}

SaveResult saveVerifyPosition(const Platform& platform, const ProgramValues& values,
                              const VerifySlices::Position& position) {
    return saveKeys(platform, values, PositionKeys, position);
}

} // namespace tillora
