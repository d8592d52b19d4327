#include "FixedRecord.h"

#include "CodePage.h"

namespace tillora {

FixedRecord::FixedRecord(int length)
    : bytes_(length, ' ') {
}

FixedRecord::FixedRecord(int length, const QByteArray& bytes)
    : bytes_(bytes.left(length)) {
    if (bytes_.size() < length)
        bytes_.append(QByteArray(length - bytes_.size(), ' '));
}

QString FixedRecord::raw(FieldSpec field) const {
    return fromCodePage(bytes_.mid(field.offset, field.width));
}

QString FixedRecord::trimmed(FieldSpec field) const {
    return raw(field).trimmed();
}

void FixedRecord::set(FieldSpec field, const QString& text) {
    QByteArray value = toCodePage(text).left(field.width);
    value.append(QByteArray(field.width - value.size(), ' '));
    bytes_.replace(field.offset, field.width, value);
}

FixedRecordFile::FixedRecordFile(QFile& file, int recordLength)
    : file_(file)
    , recordLength_(recordLength) {
}

int FixedRecordFile::recordCount() const {
    return static_cast<int>(file_.size() / recordLength_);
}

std::optional<FixedRecord> FixedRecordFile::read(int recordNumber) const {
    if (recordNumber < 1 || !file_.seek(qint64(recordNumber - 1) * recordLength_))
        return std::nullopt;
    const QByteArray bytes = file_.read(recordLength_);
    if (bytes.isEmpty() && recordLength_ > 0 && file_.error() != QFile::NoError)
        return std::nullopt;
    return FixedRecord(recordLength_, bytes);
}

bool FixedRecordFile::write(int recordNumber, const FixedRecord& record) {
    if (recordNumber < 1 || record.length() != recordLength_)
        return false;
    const qint64 at = qint64(recordNumber - 1) * recordLength_;
    // Writing past the end fills the gap with blanks rather than NUL bytes.
    if (file_.size() < at) {
        if (!file_.seek(file_.size()))
            return false;
        if (file_.write(QByteArray(at - file_.size(), ' ')) < 0)
            return false;
    }
    if (!file_.seek(at))
        return false;
    return file_.write(record.bytes()) == recordLength_ && file_.flush();
}

} // namespace tillora
