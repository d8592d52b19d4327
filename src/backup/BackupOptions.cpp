#include "BackupOptions.h"

#include "DirectorySet.h"
#include "IniFile.h"
#include "Platform.h"
#include "ProgramValues.h"

namespace tillora {

QString BackupOptions::windowsPath(const ProgramValues& values) {
    return values.DataDIR + QStringLiteral("ini\\BackupOptions.ini");
}

BackupOptions BackupOptions::load(const Platform& platform, const ProgramValues& values) {
    const QVariantMap stored = readIniFile(platform.nativePath(windowsPath(values)));
    BackupOptions options;
    options.skipUnchanged =
        iniBool(stored, QStringLiteral("Backup/SkipUnchanged"), options.skipUnchanged);
    options.keepVersionsDays = iniNumber(stored, QStringLiteral("Backup/KeepVersionsDays"),
                                         options.keepVersionsDays, 0, 3650);
    options.catchUpMissedRun =
        iniBool(stored, QStringLiteral("Backup/CatchUpMissedRun"), options.catchUpMissedRun);
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
