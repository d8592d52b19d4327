#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace tillora {

// The comma-separated form shared by the settings files and the point-of-sale files:
// a text value in double quotes, written unchanged (an embedded quote is not escaped),
// a number bare, one comma between values, CR LF after each line, Windows-1252 bytes.
class QuotedLineWriter {
public:
    QuotedLineWriter& text(const QString& value);
    QuotedLineWriter& number(long long value);
    QuotedLineWriter& number(double value);
    // Ends the current line with CR LF.
    QuotedLineWriter& endLine();
    // Convenience for the common "one line of quoted texts" case.
    QuotedLineWriter& textLine(const QStringList& values);

    const QByteArray& bytes() const { return bytes_; }

private:
    void separate();
    QByteArray bytes_;
    bool lineStarted_ = false;
};

// Reads values one by one: a comma or a line end (CR LF, CR or LF) ends a value, so a
// record is simply the next N values whatever the line breaks. A quoted value keeps
// everything up to its closing quote, commas included; characters between the closing
// quote and the next delimiter are dropped. An unquoted value is trimmed of blanks.
class QuotedValueReader {
public:
    explicit QuotedValueReader(QByteArray bytes);

    // True when only blanks and line ends are left.
    bool atEnd() const;
    // The next value, or nothing at the end of the data.
    std::optional<QString> next();
    // The next n values, or nothing when the data ends before n values were read.
    std::optional<QStringList> nextRecord(int n);

private:
    void consumeDelimiter();
    QByteArray bytes_;
    qsizetype pos_ = 0;
};

// The numeric value of a text the way the settings files have always been read: the
// leading number (sign, digits, decimal point, exponent) after leading blanks; 0 when the
// text does not start with a number. "-1", " 7", "007", "12.5abc" all read as numbers.
double leadingNumber(const QString& text);

} // namespace tillora
