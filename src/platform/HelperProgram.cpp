#include "HelperProgram.h"

#include <QCoreApplication>
#include <QDir>

namespace tillora {

QString defaultHelperProgram(const QString& baseName) {
#ifdef _WIN32
    const QString name = baseName + QStringLiteral(".exe");
    if (QCoreApplication::instance())
        return QDir(QCoreApplication::applicationDirPath()).filePath(name);
    return name;
#else
    return baseName;
#endif
}

} // namespace tillora
