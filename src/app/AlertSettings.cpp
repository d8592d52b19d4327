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

bool boolValue(const QVariantMap& values, const QString& key, bool fallback) {
    const QString text = values.value(key).toString().trimmed().toLower();
    if (text == QLatin1String("true"))
        return true;
    if (text == QLatin1String("false"))
        return false;
    return fallback;
}

int daysValue(const QVariantMap& values, const QString& key, int fallback) {
    bool ok = false;
    const int days = values.value(key).toString().trimmed().toInt(&ok);
    return ok && days >= 0 && days <= 365 ? days : fallback;
}

} // namespace

QString AlertSettings::windowsPath(const ProgramValues& values) {
    return values.DataDIR + QStringLiteral("ini\\Notify.ini");
}

AlertSettings AlertSettings::load(const Platform& platform, const ProgramValues& values) {
    const QVariantMap stored = readIniFile(platform.nativePath(windowsPath(values)));
    AlertSettings settings;
    settings.backupFailed = boolValue(stored, BackupFailedKey, settings.backupFailed);
    settings.staleAfterDays = daysValue(stored, StaleAfterDaysKey, settings.staleAfterDays);
    settings.weekly = boolValue(stored, WeeklyKey, settings.weekly);
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
