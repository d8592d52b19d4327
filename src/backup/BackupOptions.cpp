#include "BackupOptions.h"

#include "DirectorySet.h"
#include "IniFile.h"
#include "Platform.h"
#include "ProgramValues.h"

namespace tillora {

namespace {

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
    return ok && days >= 0 && days <= 3650 ? days : fallback;
}

} // namespace

QString BackupOptions::windowsPath(const ProgramValues& values) {
    return values.DataDIR + QStringLiteral("ini\\BackupOptions.ini");
}

BackupOptions BackupOptions::load(const Platform& platform, const ProgramValues& values) {
    const QVariantMap stored = readIniFile(platform.nativePath(windowsPath(values)));
    BackupOptions options;
    options.skipUnchanged =
        boolValue(stored, QStringLiteral("Backup/SkipUnchanged"), options.skipUnchanged);
    options.keepVersionsDays =
        daysValue(stored, QStringLiteral("Backup/KeepVersionsDays"), options.keepVersionsDays);
    options.catchUpMissedRun =
        boolValue(stored, QStringLiteral("Backup/CatchUpMissedRun"), options.catchUpMissedRun);
    return options;
}

SaveResult BackupOptions::save(const Platform& platform, const ProgramValues& values) const {
    // The ini folder is made when missing, but never a drive that is not there.
    if (!ensureFolder(platform, values.DataDIR + QStringLiteral("ini\\")))
        return {false, QStringLiteral("the folder %1ini cannot be created").arg(values.DataDIR)};
    const QString path = platform.nativePath(windowsPath(values));
    QVariantMap stored = readIniFile(path);
    stored.insert(QStringLiteral("Backup/SkipUnchanged"), skipUnchanged);
    stored.insert(QStringLiteral("Backup/KeepVersionsDays"), keepVersionsDays);
    stored.insert(QStringLiteral("Backup/CatchUpMissedRun"), catchUpMissedRun);
    return writeIniFile(path, stored);
}

} // namespace tillora
