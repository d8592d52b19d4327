#include "QuotedCsv.h"

#include "CodePage.h"

#include <QLocale>

namespace tillora {

void QuotedLineWriter::separate() {
    if (lineStarted_)
        bytes_.append(',');
    lineStarted_ = true;
}

QuotedLineWriter& QuotedLineWriter::text(const QString& value) {
    separate();
    bytes_.append('"').append(toCodePage(value)).append('"');
    return *this;
}

QuotedLineWriter& QuotedLineWriter::number(long long value) {
    separate();
    bytes_.append(QByteArray::number(value));
    return *this;
}

QuotedLineWriter& QuotedLineWriter::number(double value) {
    separate();
    // Shortest exact form with a full stop, as the files have always held numbers.
    bytes_.append(QLocale::c().toString(value, 'g', QLocale::FloatingPointShortest).toLatin1());
    return *this;
}

QuotedLineWriter& QuotedLineWriter::endLine() {
    bytes_.append("\r\n");
    lineStarted_ = false;
    return *this;
}

QuotedLineWriter& QuotedLineWriter::textLine(const QStringList& values) {
    for (const QString& value : values)
        text(value);
    return endLine();
}

QuotedValueReader::QuotedValueReader(QByteArray bytes)
    : bytes_(std::move(bytes)) {
}

bool QuotedValueReader::atEnd() const {
    // Blank lines after the last value are the end of the data, not an empty record.
    for (qsizetype i = pos_; i < bytes_.size(); ++i) {
        const char c = bytes_[i];
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    }
    return true;
}

void QuotedValueReader::consumeDelimiter() {
    if (pos_ >= bytes_.size())
        return;
    const char c = bytes_[pos_];
    if (c == ',') {
        ++pos_;
    } else if (c == '\r') {
        ++pos_;
        if (pos_ < bytes_.size() && bytes_[pos_] == '\n')
            ++pos_;
    } else if (c == '\n') {
        ++pos_;
    }
}

std::optional<QString> QuotedValueReader::next() {
    if (atEnd())
        return std::nullopt;
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    auto isDelimiter = [](char c) { return c == ',' || c == '\r' || c == '\n'; };
    while (pos_ < bytes_.size() && isBlank(bytes_[pos_]))
        ++pos_;

    QByteArray raw;
    if (pos_ < bytes_.size() && bytes_[pos_] == '"') {
        const qsizetype close = bytes_.indexOf('"', pos_ + 1);
        const qsizetype end = close < 0 ? bytes_.size() : close;
        raw = bytes_.mid(pos_ + 1, end - pos_ - 1);
        pos_ = close < 0 ? bytes_.size() : close + 1;
        while (pos_ < bytes_.size() && !isDelimiter(bytes_[pos_]))
            ++pos_;
    } else {
        const qsizetype start = pos_;
        while (pos_ < bytes_.size() && !isDelimiter(bytes_[pos_]))
            ++pos_;
        raw = bytes_.mid(start, pos_ - start).trimmed();
    }
    consumeDelimiter();
    return fromCodePage(raw);
}

std::optional<QStringList> QuotedValueReader::nextRecord(int n) {
    QStringList values;
    for (int i = 0; i < n; ++i) {
        auto value = next();
        if (!value)
            return std::nullopt;
        values.append(*value);
    }
    return values;
}

double leadingNumber(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    bool digits = false;
    while (i < n && text[i].isDigit() && text[i].unicode() < 0x80) {
        ++i;
        digits = true;
    }
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 0x80) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    qsizetype end = i;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            ++j;
        if (j < n && text[j].isDigit()) {
            while (j < n && text[j].isDigit())
                ++j;
            end = j;
        }
    }
    bool ok = false;
    const double value = QLocale::c().toDouble(text.mid(start, end - start), &ok);
    return ok ? value : 0.0;
}

} // namespace tillora
