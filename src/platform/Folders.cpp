#include "Folders.h"

#include "Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tillora {

QString Platform::userSettingsFolder() const {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

QString Platform::userCacheFolder() const {
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

bool DirExists(const Platform& platform, const QString& folder) {
    if (folder.isEmpty())
        return false;
    const QFileInfo info(platform.nativePath(folder));
    return info.isDir() && info.isReadable();
}

bool ensureFolder(const Platform& platform, const QString& folder) {
    if (DirExists(platform, folder))
        return true;
    // A missing drive stays missing: creating its folder would invent a drive.
    const bool hasDrive = folder.size() >= 2 && folder[1] == u':';
    if (hasDrive && !DirExists(platform, folder.left(2) + u'\\'))
        return false;
    return QDir().mkpath(platform.nativePath(folder)) && DirExists(platform, folder);
}

} // namespace tillora
