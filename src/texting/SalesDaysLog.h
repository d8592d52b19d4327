#pragma once

#include "FileSave.h"

#include <QDate>
#include <QDateTime>
#include <QList>

#include <optional>

namespace tillora {

class Platform;
struct ProgramValues;

// The day's totals as one report or summary read them. A total that could not be read
// is absent.
struct SalesReading {
    QDateTime moment;
    std::optional<double> sales;
    std::optional<double> discounts;
};

// The sales figure of `day` by `time` of day: the highest reading by then, since the
// point-of-sale's day close empties the tender file and a later reading can only be lower
// because of it. `closed` is set when a later reading by then was lower than the highest.
struct DaySales {
    double sales = 0;
    std::optional<double> discounts; // read with the highest sales figure
    bool closed = false;
};
std::optional<DaySales> salesBy(const QList<SalesReading>& readings, const QDate& day,
                                const QTime& time);

// <DataDIR>ini\SalesDays.log: every reading of the totals, one JSON line each (date, time,
// sales, discounts), so the day summary can compare with last week across restarts. The
// last KeptDays days are kept; the file is rewritten through a new file and a rename.
class SalesDaysLog {
public:
    static constexpr int KeptDays = 400;

    SalesDaysLog(const Platform& platform, const ProgramValues& values);

    static QString path(const ProgramValues& values); // "c:\Tillora\ini\SalesDays.log"

    // Adds a reading with at least one total; may be called from any thread.
    SaveResult record(const SalesReading& reading) const;
    // The readings in file order; damaged lines are skipped.
    QList<SalesReading> readings() const;

private:
    const Platform& platform_;
    const ProgramValues& values_;
};

} // namespace tillora
