#include "DirectorySet.h"

#include "Platform.h"

#include <QDir>
#include <QFileInfo>

namespace tillora {

const std::array<BackupStep, 30>& BackupDirectorySet() {
    static const std::array<BackupStep, 30> steps{{
        {0, "", ""},
        {0, "\\ADS", "\\ADs"},
        {0, "\\data", "\\data"},
        {0, "\\Delivery", "\\Delivery"},
        {0, "\\Delivery\\Delivered", "\\Delivery\\Delivered"},
        {0, "\\Delivery\\Driver", "\\Delivery\\Driver"},
        {0, "\\Delivery\\LastOrder", "\\Delivery\\LastOrder"},
        {0, "\\Delivery\\Out", "\\Delivery\\Out"},
        {0, "\\DriveThru", "\\DriveThru"},
        {0, "\\ini", "\\ini"},
        {0, "\\ini\\1", "\\ini\\1"},
        {0, "\\ini\\2", "\\ini\\2"},
        {0, "\\ini\\3", "\\ini\\3"},
        {0, "\\ini\\TableGraphics", "\\ini\\TableGraphics"},
        {0, "\\PhoneOrders", "\\PhoneOrders"},
        {0, "\\Sales", "\\Sales"},
        {0, "\\Server", "\\Server"},
        {0, "\\Server\\Sales", "\\Server\\Sales"},
        {0, "\\Table", "\\Table"},
        {0, "\\Table\\Torder", "\\Table\\Torder"},
        {0, "\\Table\\Tseat", "\\Table\\Tseat"},
        {0, "\\Table\\Tcheck", "\\Table\\Tcheck"},
        {0, "\\Temp", "\\Temp"},
        {0, "\\Table\\Pcheck", "\\Table\\Pcheck"},
        {1, "", ""},
        {1, "\\data", "\\data"},
        {2, "", ""},
        {2, "\\Loyvana\\BackupData", "\\Loyvana\\BackupData"},
        {2, "\\Loyvana\\Deleted", "\\Loyvana\\Deleted"},
        {3, "", ""},
    }};
    return steps;
}

QString paydexHistorySource() {
    return QStringLiteral("C:\\Documents and Settings\\All Users\\Application Data\\Norvale "
                          "Systems\\Paydex\\History");
}

QString driveOfSelector(const QString& selectorText) {
    return selectorText.left(2);
}

QString BackupPaths::destinationRoot() const {
    return driveOfSelector(controls_.destinationDriveText()) + QStringLiteral("\\TLRAbackup\\");
}

QString BackupPaths::sourceFolder(const BackupStep& step) const {
    return driveOfSelector(controls_.sourceDriveText()) + u'\\' + controls_.folderName(step.row) +
           QLatin1String(step.sourceSuffix);
}

QString BackupPaths::destinationFolder(const BackupStep& step) const {
    return destinationRoot() + controls_.folderName(step.row) +
           QLatin1String(step.destinationSuffix);
}

QString BackupPaths::paydexHistoryDestination() const {
    return destinationRoot() + controls_.folderName(PaydexRow) + QStringLiteral("\\History");
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
