#include "PosSettingsRecord.h"

#include <QFile>

#include <algorithm>
#include <array>

namespace tillora {

namespace {

// Widths of the 204 fields in file order, written as runs of equal widths.
struct Run {
    int count;
    int width;
};
// clang-format off
constexpr Run kRuns[] = {
    {3, 40}, {1, 20}, {1, 50}, {1, 40}, {1, 10}, {1, 20}, {1, 200}, // 0-8
    {12, 1}, {1, 28}, {1, 5},  {3, 20}, {1, 20}, {1, 1},  {1, 20},  // 9-28
    {3, 2},  {1, 288}, {1, 5}, {1, 20}, {1, 2},  {3, 5},  {1, 40},  // 29-39
    {1, 5},  {1, 1},  {6, 5},  {1, 40}, {1, 20}, {2, 40}, {2, 10},  // 40-53
    {18, 5}, {1, 20}, {1, 2},  {27, 5}, {1, 20}, {2, 5},  {1, 20},  // 54-104
    {24, 5}, {6, 20}, {24, 5}, {1, 10}, {4, 5},  {1, 10}, {1, 50},  // 105-165
    {15, 5}, {2, 10}, {6, 5},  {3, 2},  {1, 6},  {8, 2},  {2, 5},   // 166-202
    {1, 212},                                                       // 203
};
// clang-format on

constexpr auto kSpecs = [] {
    std::array<FieldSpec, PosSettingsRecord::FieldCount> specs{};
    int field = 0;
    int offset = 0;
    for (const Run& run : kRuns) {
        for (int i = 0; i < run.count; ++i) {
            specs[field++] = FieldSpec{offset, run.width};
            offset += run.width;
        }
    }
    return specs;
}();

constexpr bool layoutIsComplete() {
    const FieldSpec last = kSpecs[PosSettingsRecord::FieldCount - 1];
    return last.offset + last.width == PosSettingsRecord::RecordLength;
}
static_assert(layoutIsComplete(), "the settings fields must fill the 2300-byte record");
static_assert(kSpecs[39].offset == 942 && kSpecs[48].offset == 1018 && kSpecs[72].offset == 1268);

} // namespace

PosSettingsRecord::PosSettingsRecord()
    : record_(RecordLength) {
}

PosSettingsRecord::PosSettingsRecord(FixedRecord record)
    : record_(std::move(record)) {
}

FieldSpec PosSettingsRecord::spec(int field) {
    Q_ASSERT(field >= 0 && field < FieldCount);
    return kSpecs[static_cast<std::size_t>(field)];
}

std::optional<PosSettingsRecord> PosSettingsRecord::read(const QString& nativePath) {
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    FixedRecordFile records(file, RecordLength);
    auto record = records.read(1);
    if (!record)
        return std::nullopt;
    PosSettingsRecord settings(std::move(*record));
    settings.storedLength_ = int(std::min<qint64>(file.size(), RecordLength));
    return settings;
}

QString PosSettingsRecord::trimmed(int field) const {
    const FieldSpec where = spec(field);
    if (where.offset + where.width > storedLength_)
        return {};
    const QString text = record_.trimmed(where);
    const bool isText = std::none_of(text.begin(), text.end(),
                                     [](QChar c) { return c.category() == QChar::Other_Control; });
    return isText ? text : QString();
}

} // namespace tillora
