#include "MailAddress.h"

namespace tillora {

namespace {

bool isLabelCharacter(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'-';
}

bool isLocalPartCharacter(QChar c) {
    if (c.unicode() <= 0x20 || c.unicode() >= 0x7f)
        return false;
    return c != u',' && c != u';' && c != u'<' && c != u'>' && c != u'"' && c != u'@';
}

} // namespace

bool isMailDomain(const QString& domain) {
    if (domain.isEmpty() || domain.size() > 253)
        return false;
    qsizetype labelLength = 0;
    for (const QChar c : domain) {
        if (c == u'.') {
            if (labelLength == 0)
                return false;
            labelLength = 0;
        } else if (isLabelCharacter(c)) {
            ++labelLength;
        } else {
            return false;
        }
    }
    return labelLength > 0;
}

bool isSingleMailAddress(const QString& address) {
    const qsizetype at = address.indexOf(u'@');
    if (at <= 0)
        return false;
    for (qsizetype i = 0; i < at; ++i) {
        if (!isLocalPartCharacter(address[i]))
            return false;
    }
    return isMailDomain(address.mid(at + 1));
}

} // namespace tillora
