#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace tillora {

class Platform;

// The day's sales and discount totals, summed from copies of the point-of-sale files.
struct TotalResult {
    std::optional<double> total; // nothing when the total could not be computed
    QString reason;              // why not, for the operator

    // The label text: the locale's currency form of the total, empty when there is none.
    QString labelText(const QLocale& locale = QLocale()) const;
};

// An amount as the "#####.##" number pattern writes it: at most two decimals, the decimal
// point always present, no leading or trailing zeros ("12.5", "12.", ".5", "." for zero).
QString hashPatternAmount(double amount);

// The sums of the files' contents: what salesTotal and discountTotal read.
TotalResult sumTenders(const QByteArray& bytes);
TotalResult sumDiscounts(const QByteArray& bytes);

class PosTotals {
public:
    PosTotals(Platform& platform, QString remoteDir);

    // `RemoteDIR` + "TDTenders.daT", copied afresh to "TDTenders.TMP" and read locked:
    // fourteen values a record, the third the tender amount. The first record that is cut
    // short or whose amount is not a number ends the sum without a total.
    TotalResult salesTotal() const;
    // `RemoteDIR` + "ini\DiscountList.daT" through "ini\DiscountList.TMP": eight values a
    // record, the third a count, the fifth an amount; count x amount summed, records that
    // cannot be read or multiplied skipped.
    TotalResult discountTotal() const;

private:
    std::optional<QByteArray> freshCopy(const QString& source, const QString& copy,
                                        QString& reason) const;

    Platform& platform_;
    QString remoteDir_;
};

} // namespace tillora
