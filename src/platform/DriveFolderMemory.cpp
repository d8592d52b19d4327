#include "DriveFolderMemory.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace tillora {

namespace {

const QString Key = QStringLiteral("Drives/Folder");

} // namespace

DriveFolderMemory::DriveFolderMemory(QString settingsFolder)
    : folder_(std::move(settingsFolder)) {
}

QString DriveFolderMemory::filePath() const {
    return QDir(folder_).filePath(QStringLiteral("session.ini"));
}

QString DriveFolderMemory::recalled() const {
    return QSettings(filePath(), QSettings::IniFormat).value(Key).toString();
}

bool DriveFolderMemory::remember(const QString& driveFolder) const {
    const QFileInfo info(driveFolder);
    if (!info.isDir())
        return false;
    const QString absolute = info.absoluteFilePath();
    if (absolute == recalled())
        return true;
    // QSettings writes through a temporary file and a rename: never half a file.
    QSettings settings(filePath(), QSettings::IniFormat);
    settings.setValue(Key, absolute);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString DriveFolderMemory::choose(const QString& winePrefix) const {
    if (!winePrefix.isEmpty())
        return QDir(winePrefix).filePath(QStringLiteral("dosdevices"));
    const QString remembered = recalled();
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
        return remembered;
    return QDir::home().filePath(QStringLiteral(".wine/dosdevices"));
}

QString winePrefixOf(const QString& driveFolder) {
    const QFileInfo info(driveFolder);
    if (info.fileName() != QLatin1String("dosdevices"))
        return {};
    return QDir::cleanPath(info.absolutePath());
}

} // namespace tillora
