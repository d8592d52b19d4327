#include "AlertSettings.h"

#include "DirectorySet.h"
#include "IniFile.h"
#include "Platform.h"
#include "ProgramValues.h"

namespace tillora {

namespace {

const QString BackupFailedKey = QStringLiteral("Alerts/BackupFailed");
const QString StaleAfterDaysKey = QStringLiteral("Alerts/StaleAfterDays");
const QString WeeklyKey = QStringLiteral("Alerts/Weekly");

} // namespace

QString AlertSettings::windowsPath(const ProgramValues& values) {
    return values.DataDIR + QStringLiteral("ini\\Notify.ini");
}

AlertSettings AlertSettings::load(const Platform& platform, const ProgramValues& values) {
    const QVariantMap stored = readIniFile(platform.nativePath(windowsPath(values)));
    AlertSettings settings;
    settings.backupFailed = iniBool(stored, BackupFailedKey, settings.backupFailed);
    settings.staleAfterDays = iniNumber(stored, StaleAfterDaysKey, settings.staleAfterDays, 0, 365);
    settings.weekly = iniBool(stored, WeeklyKey, settings.weekly);
    return settings;
}

SaveResult AlertSettings::save(const Platform& platform, const ProgramValues& values) const {
    if (!ensureFolder(platform, values.DataDIR + QStringLiteral("ini\\")))
        return {false, QStringLiteral("the folder %1ini cannot be created").arg(values.DataDIR)};
    const QString path = platform.nativePath(windowsPath(values));
    QVariantMap stored = readIniFile(path);
    stored.insert(BackupFailedKey, backupFailed);
    stored.insert(StaleAfterDaysKey, staleAfterDays);
    stored.insert(WeeklyKey, weekly);
    // The delivery settings keep the file readable by its owner only; so does this group.
    return writeIniFile(path, stored, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

} // namespace tillora
