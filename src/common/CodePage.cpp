#include "CodePage.h"

#include <array>

namespace tillora {

namespace {

// 0x80..0x9F of Windows-1252; 0 marks the five unassigned positions, which decode as
// the C1 control of the same value (what Windows does too).
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

} // namespace

QString fromCodePage(const QByteArray& bytes) {
    QString text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] != 0)
            text.append(QChar(kHighControls[byte - 0x80]));
        else
            text.append(QChar(byte));
    }
    return text;
}

QByteArray toCodePage(const QString& text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes.append(static_cast<char>(u));
            continue;
        }
        char mapped = '?';
        for (std::size_t i = 0; i < kHighControls.size(); ++i) {
            if (kHighControls[i] == u || (kHighControls[i] == 0 && u == 0x80 + i)) {
                mapped = static_cast<char>(0x80 + i);
                break;
            }
        }
        bytes.append(mapped);
    }
    return bytes;
}

} // namespace tillora
