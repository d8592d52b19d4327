#include "FileSave.h"

#include <QFile>
#include <QSaveFile>

namespace tillora {

SaveResult saveFileAtomically(const QString& nativePath, const QByteArray& bytes,
                              std::optional<QFileDevice::Permissions> permissions) {
    QSaveFile file(nativePath);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    if (permissions && !file.setPermissions(*permissions)) {
        file.cancelWriting();
        return {false, file.errorString()};
    }
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {false, reason};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

SaveResult appendToFile(const QString& nativePath, const QByteArray& bytes) {
    QFile file(nativePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return {false, file.errorString()};
    if (file.write(bytes) != bytes.size() || !file.flush())
        return {false, file.errorString()};
    return {true, {}};
}

std::optional<QByteArray> readWholeFile(const QString& nativePath) {
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace tillora
