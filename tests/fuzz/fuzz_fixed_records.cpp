// The fixed-record files: the point-of-sale settings record and the time clock's state,
// timesheet and employee records, field by field.
#include "FixedRecord.h"
#include "FuzzInput.h"
#include "PosSettingsRecord.h"
#include "QuotedCsv.h"
#include "TimeClockFiles.h"

using namespace tillora;
using namespace tillora::fuzz;

namespace {

void readFields(const FixedRecord& record, std::initializer_list<FieldSpec> fields) {
    for (const FieldSpec field : fields) {
        require(record.raw(field).size() == field.width, "a field is as wide as its spec");
        (void)leadingNumber(record.trimmed(field));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = bytesOf(data, size);

    PosSettingsRecord settings{FixedRecord(PosSettingsRecord::RecordLength, bytes)};
    for (int field = 0; field < PosSettingsRecord::FieldCount; ++field) {
        const QString trimmed = settings.trimmed(field);
        require(trimmed.size() <= settings.raw(field).size(), "trimming never adds");
    }
    // Any field's text stored into another field reads back, cut to its width.
    const QString text = settings.raw(203).left(40);
    settings.set(PosSettingsRecord::CompanyName, text);
    require(settings.raw(PosSettingsRecord::CompanyName) == text, "a field reads back");
    require(settings.bytes().size() == PosSettingsRecord::RecordLength, "the record keeps size");

    using namespace clockrecord;
    for (qsizetype at = 0; at < bytes.size(); at += Length) {
        const FixedRecord record(Length, bytes.mid(at, Length));
        readFields(record, {Date, State, TimeIn, TimeOut, Field5, Field6, Field7, Employee, Field9,
                            Field10, Field11});
    }
    const FixedRecord employee(employeerecord::Length, bytes);
    readFields(employee, {employeerecord::Number, employeerecord::Name});
    return 0;
}
