#include "PosTotals.h"

#include "Platform.h"
#include "QuotedCsv.h"

#include <QFile>

#include <cmath>

namespace tillora {

namespace {

constexpr int kTenderValues = 14;
constexpr int kTenderAmount = 2; // the third value
constexpr int kDiscountValues = 8;
constexpr int kDiscountCount = 2;  // the third value
constexpr int kDiscountAmount = 4; // the fifth value

std::optional<double> strictNumber(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return 0.0; // an empty numeric value reads as zero
    bool ok = false;
    const double value = QLocale::c().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The amount as the pattern writes it, read back: rounded to two decimals.
std::optional<double> normalisedAmount(double amount) {
    const QString pattern = hashPatternAmount(amount);
    if (pattern == QLatin1String("."))
        return std::nullopt; // zero: skipped
    return leadingNumber(pattern);
}

} // namespace

QString TotalResult::labelText(const QLocale& locale) const {
    return total ? locale.toCurrencyString(*total) : QString();
}

QString hashPatternAmount(double amount) {
    QString text = QString::number(amount, 'f', 2);
    const bool negative = text.startsWith(u'-');
    if (negative)
        text.remove(0, 1);
    while (text.endsWith(u'0'))
        text.chop(1);
    while (text.startsWith(u'0'))
        text.remove(0, 1);
    if (text == QLatin1String("."))
        return text; // "-0.00" is zero too
    return negative ? u'-' + text : text;
}

PosTotals::PosTotals(Platform& platform, QString remoteDir)
    : platform_(platform)
    , remoteDir_(std::move(remoteDir)) {
}

std::optional<QByteArray> PosTotals::freshCopy(const QString& source, const QString& copy,
                                               QString& reason) const {
    const QString nativeSource = platform_.nativePath(remoteDir_ + source);
    const QString nativeCopy = platform_.nativePath(remoteDir_ + copy);
    if (!QFile::exists(nativeSource)) {
        reason = QStringLiteral("%1 was not found").arg(remoteDir_ + source);
        return std::nullopt;
    }
    // The point-of-sale program may write the file at any time: read a copy of it, made
    // afresh for every run, never the file itself.
    QFile::remove(nativeCopy);
    if (!QFile::copy(nativeSource, nativeCopy)) {
        reason = QStringLiteral("%1 could not be copied").arg(remoteDir_ + source);
        return std::nullopt;
    }
    QFile file(nativeCopy);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("%1 could not be read").arg(remoteDir_ + copy);
        return std::nullopt;
    }
    WholeFileLock lock(platform_, file);
    if (!lock.locked()) {
        reason = QStringLiteral("%1 is locked by another program").arg(remoteDir_ + copy);
        return std::nullopt;
    }
    return file.readAll();
}

TotalResult sumTenders(const QByteArray& bytes) {
    TotalResult result;
    QuotedValueReader reader(bytes);
    double total = 0;
    int recordNumber = 0;
    while (!reader.atEnd()) {
        ++recordNumber;
        const auto record = reader.nextRecord(kTenderValues);
        if (!record) {
            result.reason = QStringLiteral("tender record %1 is cut short").arg(recordNumber);
            return result;
        }
        const auto amount = strictNumber(record->at(kTenderAmount));
        if (!amount) {
            result.reason = QStringLiteral("tender record %1 has no amount: \"%2\"")
                                .arg(recordNumber)
                                .arg(record->at(kTenderAmount));
            return result;
        }
        if (const auto normalised = normalisedAmount(*amount))
            total += *normalised;
    }
    result.total = total;
    return result;
}

TotalResult sumDiscounts(const QByteArray& bytes) {
    QuotedValueReader reader(bytes);
    double total = 0;
    while (!reader.atEnd()) {
        const auto record = reader.nextRecord(kDiscountValues);
        if (!record)
            break; // a record cut short at the end of the file is skipped
        const auto count = strictNumber(record->at(kDiscountCount));
        const auto amount = strictNumber(record->at(kDiscountAmount));
        if (!count || !amount)
            continue;
        const auto normalised = normalisedAmount(*amount);
        if (!normalised)
            continue;
        // The product goes through its text form, as the totals have always been summed.
        total += leadingNumber(QString::number(*count * *normalised, 'g', 15));
    }
    TotalResult result;
    result.total = total;
    return result;
}

TotalResult PosTotals::salesTotal() const {
    TotalResult result;
    const auto bytes =
        freshCopy(QStringLiteral("TDTenders.daT"), QStringLiteral("TDTenders.TMP"), result.reason);
    return bytes ? sumTenders(*bytes) : result;
}

TotalResult PosTotals::discountTotal() const {
    TotalResult result;
    const auto bytes = freshCopy(QStringLiteral("ini\\DiscountList.daT"),
                                 QStringLiteral("ini\\DiscountList.TMP"), result.reason);
    return bytes ? sumDiscounts(*bytes) : result;
}

} // namespace tillora
