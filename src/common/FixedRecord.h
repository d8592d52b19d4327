#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>

namespace tillora {

// One fixed-width text field of a record: byte offset and width.
struct FieldSpec {
    int offset = 0;
    int width = 0;
};

// A record of fixed-width, left-aligned, blank-padded single-byte text fields.
class FixedRecord {
public:
    explicit FixedRecord(int length);
    // Takes the bytes as read; a short buffer is padded with blanks to the length.
    FixedRecord(int length, const QByteArray& bytes);

    int length() const { return static_cast<int>(bytes_.size()); }
    const QByteArray& bytes() const { return bytes_; }

    // The field as stored, trailing blanks included.
    QString raw(FieldSpec field) const;
    // The field without surrounding blanks.
    QString trimmed(FieldSpec field) const;
    // Stores the text left-aligned, padded with blanks, cut to the width.
    void set(FieldSpec field, const QString& text);

private:
    QByteArray bytes_;
};

// Record access to an open file: record numbers start at 1, the record count is the file
// length divided by the record length (a partial trailing record is not counted), and a
// record read past the end of the data reads the missing bytes as blanks.
class FixedRecordFile {
public:
    FixedRecordFile(QFile& file, int recordLength);

    int recordCount() const;
    std::optional<FixedRecord> read(int recordNumber) const;
    bool write(int recordNumber, const FixedRecord& record);

private:
    QFile& file_;
    int recordLength_;
};

} // namespace tillora
