#include "TempDrives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tillora::test {

TempDrives::TempDrives() {
    QDir(dir_.path()).mkpath(QStringLiteral("dosdevices"));
}

QString TempDrives::driveFolder() const {
    return QDir(dir_.path()).filePath(QStringLiteral("dosdevices"));
}

QString TempDrives::root(char letter) const {
    return QDir(dir_.path()).filePath(QStringLiteral("drive_") + QChar::fromLatin1(letter));
}

QString TempDrives::addDrive(char letter, const QString& label) {
    const QString folder = root(letter);
    QDir().mkpath(folder);
    const QString link =
        QDir(driveFolder()).filePath(QString(QChar::fromLatin1(letter)) + QLatin1Char(':'));
    QFile::link(folder, link);
    if (!label.isEmpty()) {
        QFile file(QDir(folder).filePath(QStringLiteral(".windows-label")));
        if (file.open(QIODevice::WriteOnly))
            file.write(label.toUtf8() + '\n');
    }
    return folder;
}

void TempDrives::pullDrive(char letter) {
    QDir(root(letter)).removeRecursively();
}

QString TempDrives::writeFile(char letter, const QString& relativePath, const QByteArray& bytes) {
    const QString path = QDir(root(letter)).filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return path;
}

QByteArray TempDrives::readFile(char letter, const QString& relativePath) const {
    QFile file(QDir(root(letter)).filePath(relativePath));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool TempDrives::exists(char letter, const QString& relativePath) const {
    return QFileInfo::exists(QDir(root(letter)).filePath(relativePath));
}

} // namespace tillora::test
