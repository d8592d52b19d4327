#pragma once

#include "PosSettingsRecord.h"

#include <QByteArray>

namespace tillora::test {

// A settings file as the point-of-sale product writes it: 2300 bytes of blank-padded
// fields.
inline QByteArray settingsFile(std::initializer_list<std::pair<int, QString>> fields) {
    PosSettingsRecord record;
    for (const auto& [field, text] : fields)
        record.set(field, text);
    return record.bytes();
}

} // namespace tillora::test
