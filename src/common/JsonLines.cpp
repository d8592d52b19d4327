#include "JsonLines.h"

#include <QJsonDocument>

namespace tillora {

JsonLines readJsonLines(const QString& nativePath) {
    JsonLines lines;
    const auto bytes = readWholeFile(nativePath);
    if (!bytes)
        return lines;
    for (const QByteArray& raw : bytes->split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty())
            continue;
        const QJsonDocument document = QJsonDocument::fromJson(line);
        if (document.isObject())
            lines.objects.append(document.object());
        else
            ++lines.damaged;
    }
    return lines;
}

SaveResult writeJsonLines(const QString& nativePath, const QList<QJsonObject>& objects) {
    QByteArray bytes;
    for (const QJsonObject& object : objects) {
        bytes += QJsonDocument(object).toJson(QJsonDocument::Compact);
        bytes += '\n';
    }
    return saveFileAtomically(nativePath, bytes);
}

} // namespace tillora
