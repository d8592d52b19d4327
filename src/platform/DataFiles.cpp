#include "DataFiles.h"

#include "Folders.h"
#include "Platform.h"

#include <QDir>

namespace tillora {

QString DataFiles::fileName(DataFile file) {
    switch (file) {
    case DataFile::Autobackup:
        return QStringLiteral("Autobackup.dat");
    case DataFile::BackupOptions:
        return QStringLiteral("BackupOptions.ini");
    case DataFile::Notify:
        return QStringLiteral("Notify.ini");
    case DataFile::Outbox:
        return QStringLiteral("Outbox.dat");
    case DataFile::BackupHistory:
        return QStringLiteral("BackupHistory.log");
    case DataFile::BackupProblems:
        return QStringLiteral("BackupProblems.log");
    case DataFile::MobileText:
        return QStringLiteral("MobileText.dat");
    case DataFile::MailServer:
        return QStringLiteral("MailServer.dat");
    case DataFile::SalesDays:
        return QStringLiteral("SalesDays.log");
    }
    return {};
}

QString DataFiles::folder(const QString& dataDir) {
    return dataDir + QStringLiteral("ini\\");
}

QString DataFiles::path(const QString& dataDir, DataFile file) {
    return folder(dataDir) + fileName(file);
}

QString DataFiles::makeFolder(const Platform& platform, const QString& dataDir) {
    if (ensureFolder(platform, folder(dataDir)))
        return {};
    return QStringLiteral("the folder %1ini cannot be created").arg(dataDir);
}

QString UserFiles::outbox(const Platform& platform) {
    return QDir(platform.userSettingsFolder()).filePath(DataFiles::fileName(DataFile::Outbox));
}

QString UserFiles::copyFolder(const Platform& platform) {
    return QDir(platform.userSettingsFolder()).filePath(QStringLiteral("delivery-copy"));
}

QString UserFiles::copyOf(const Platform& platform, DataFile file) {
    return QDir(copyFolder(platform)).filePath(DataFiles::fileName(file));
}

QString UserFiles::daySummaryMark(const Platform& platform) {
    return QDir(platform.userSettingsFolder()).filePath(QStringLiteral("DaySummary.mark"));
}

} // namespace tillora
