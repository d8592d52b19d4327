#include "HeaderSafety.h"

namespace tillora {

QString headerSafe(const QString& value) {
    QString safe = value;
    for (QChar& c : safe) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return safe;
}

QByteArray encodedHeaderValue(const QString& value) {
    const QString safe = headerSafe(value);
    for (const QChar c : safe) {
        if (c.unicode() > 0x7e)
            return "=?UTF-8?B?" + safe.toUtf8().toBase64() + "?=";
    }
    return safe.toLatin1();
}

} // namespace tillora
