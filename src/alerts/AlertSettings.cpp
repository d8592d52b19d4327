#include "AlertSettings.h"

#include "DataFiles.h"
#include "IniKeys.h"
#include "Platform.h"
#include "ProgramValues.h"

namespace tillora {

namespace {

const std::array<IniKey<AlertSettings>, 3> Keys{{
    {"Alerts/BackupFailed", &AlertSettings::backupFailed},
    {"Alerts/StaleAfterDays", &AlertSettings::staleAfterDays, 0, 365},
    {"Alerts/Weekly", &AlertSettings::weekly},
}};

} // namespace

QString AlertSettings::windowsPath(const ProgramValues& values) {
    return DataFiles::path(values.DataDIR, DataFile::Notify);
}

AlertSettings AlertSettings::load(const Platform& platform, const ProgramValues& values) {
    return readIniKeys(readIniFile(platform.nativePath(windowsPath(values))), Keys);
}

SaveResult AlertSettings::save(const Platform& platform, const ProgramValues& values) const {
    if (const QString problem = DataFiles::makeFolder(platform, values.DataDIR); !problem.isEmpty())
        return {false, problem};
    const QString path = platform.nativePath(windowsPath(values));
    QVariantMap stored = readIniFile(path);
    writeIniKeys(stored, Keys, *this);
    // The delivery settings keep the file readable by its owner only; so does this group.
    return writeIniFile(path, stored, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace tillora
