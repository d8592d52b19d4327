#include "DirectorySet.h"

#include "Platform.h"

#include <algorithm>

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

bool isDriveConnected(const Platform& platform, const QString& selectorText) {
    const QString letter = driveOfSelector(selectorText).toLower();
    if (letter.size() != 2 || !letter[0].isLetter() || letter[1] != u':')
        return false;
    const QStringList drives = platform.drives();
    return std::any_of(drives.begin(), drives.end(), [&](const QString& entry) {
        return driveOfSelector(entry).toLower() == letter;
    });
}

bool isSafeFolderName(const QString& name) {
    if (name.isEmpty())
        return true;
    // A colon makes a drive ("d:") or a stream, a slash or a leading backslash a path
    // from elsewhere; the rest cannot be part of a Windows folder name at all.
    static const QString forbidden = QStringLiteral(":/*?\"<>|");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || forbidden.contains(c))
            return false;
    }
    // Every step must be a real folder: no empty step ("\\server", "a\\b"), and none
    // made only of dots and blanks, which Windows reads as "." or "..".
    const QStringList steps = name.split(u'\\');
    return std::none_of(steps.begin(), steps.end(), [](const QString& step) {
        return std::all_of(step.begin(), step.end(),
                           [](QChar c) { return c == u'.' || c == u' '; });
    });
}

BackupSetupSnapshot withUnsafeFoldersOff(BackupSetupSnapshot setup) {
    for (int row = 0; row < BackupSettings::FolderCount; ++row) {
        if (!isSafeFolderName(setup.folderName(row)))
            setup.settings.flags[std::size_t(row)] = 0;
    }
    return setup;
}

QList<int> refusedFolderRows(const BackupSetupSnapshot& setup) {
    QList<int> rows;
    for (int row = FirstProductRow; row <= PaydexRow; ++row) {
        // The card-payment history's folder is named by row 4 and copied with row 3.
        const int copiedWith = row == PaydexRow ? LastProductRow : row;
        if (setup.folderEnabled(copiedWith) && !isSafeFolderName(setup.folderName(row)))
            rows.append(row);
    }
    return rows;
}

QString BackupPaths::folderName(int row) const {
    const QString name = setup_.folderName(row);
    return isSafeFolderName(name) ? name : QString();
}

QString BackupPaths::destinationRoot() const {
    return driveOfSelector(setup_.destinationDriveText()) + QStringLiteral("\\TLRAbackup\\");
}

QString BackupPaths::sourceFolder(const BackupStep& step) const {
    return driveOfSelector(setup_.sourceDriveText()) + u'\\' + folderName(step.row) +
           QLatin1String(step.sourceSuffix);
}

QString BackupPaths::destinationFolder(const BackupStep& step) const {
    return destinationRoot() + folderName(step.row) + QLatin1String(step.destinationSuffix);
}

QString BackupPaths::paydexHistoryDestination() const {
    return destinationRoot() + folderName(PaydexRow) + QStringLiteral("\\History");
}

QString windowsFilePath(const QString& folder, const std::filesystem::path& name) {
    return folder.endsWith(u'\\') ? folder + displayName(name) : folder + u'\\' + displayName(name);
}

} // namespace tillora
