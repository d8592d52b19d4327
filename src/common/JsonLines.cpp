#include "JsonLines.h"

#include <QJsonDocument>

#include <limits>

namespace tillora {

qint64 jsonCount(const QJsonValue& value) {
    const double number = value.toDouble();
    if (!(number > 0)) // NaN too
        return 0;
    // 2^63, exactly a double: anything from there on does not fit.
    if (number >= 9223372036854775808.0)
        return std::numeric_limits<qint64>::max();
    return qint64(number);
}

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
