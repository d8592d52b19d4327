#include "HelperProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tillora {

QString defaultHelperProgram(const QString& baseName) {
#ifdef _WIN32
    const QString name = baseName + QStringLiteral(".exe");
    if (!QCoreApplication::instance())
        return name;
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    if (QFileInfo::exists(beside))
        return beside;
    const QString onPath = QStandardPaths::findExecutable(baseName);
    return onPath.isEmpty() ? beside : onPath;
#else
    return baseName;
#endif
}

QString helperProgramPlaces(const QString& baseName) {
#ifdef _WIN32
    return QStringLiteral("%1.exe beside %2 or on the PATH")
        .arg(baseName, QFileInfo(QCoreApplication::applicationFilePath()).fileName());
#else
    return QStringLiteral("%1 on the PATH").arg(baseName);
#endif
}

} // namespace tillora
