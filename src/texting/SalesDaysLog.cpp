#include "SalesDaysLog.h"

#include "DataFiles.h"
#include "JsonLines.h"
#include "Platform.h"
#include "ProgramValues.h"

#include <QJsonObject>

#include <cmath>
#include <mutex>

namespace tillora {

namespace {

// The hourly report and the day summary may read the totals at the same moment, one on
// the window's thread and one off it: the file is rewritten by one at a time.
std::mutex& writeLock() {
    static std::mutex lock;
    return lock;
}

std::optional<double> amountOf(const QJsonValue& value) {
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return std::nullopt;
    return value.toDouble();
}

std::optional<SalesReading> readingOf(const QJsonObject& line) {
    const QDate date = QDate::fromString(line.value("date").toString(), Qt::ISODate);
    const QTime time = QTime::fromString(line.value("time").toString(), Qt::ISODate);
    SalesReading reading{QDateTime(date, time), amountOf(line.value("sales")),
                         amountOf(line.value("discounts"))};
    if (!date.isValid() || !time.isValid() || (!reading.sales && !reading.discounts))
        return std::nullopt;
    return reading;
}

QJsonObject lineOf(const SalesReading& reading) {
    QJsonObject line{{"date", reading.moment.date().toString(Qt::ISODate)},
                     {"time", reading.moment.time().toString(Qt::ISODate)}};
    if (reading.sales)
        line.insert("sales", *reading.sales);
    if (reading.discounts)
        line.insert("discounts", *reading.discounts);
    return line;
}

} // namespace

std::optional<DaySales> salesBy(const QList<SalesReading>& readings, const QDate& day,
                                const QTime& time) {
    std::optional<DaySales> best;
    for (const SalesReading& reading : readings) {
        if (reading.moment.date() != day || reading.moment.time() > time || !reading.sales)
            continue;
        if (!best || *reading.sales >= best->sales) {
            best = DaySales{*reading.sales, reading.discounts, best && best->closed};
        } else {
            best->closed = true;
        }
    }
    return best;
}

SalesDaysLog::SalesDaysLog(const Platform& platform, const ProgramValues& values)
    : platform_(platform)
    , values_(values) {
}

QString SalesDaysLog::path(const ProgramValues& values) {
    return DataFiles::path(values.DataDIR, DataFile::SalesDays);
}

SaveResult SalesDaysLog::record(const SalesReading& reading) const {
    const SalesReading stored{
        reading.moment,
        reading.sales && std::isfinite(*reading.sales) ? reading.sales : std::nullopt,
        reading.discounts && std::isfinite(*reading.discounts) ? reading.discounts : std::nullopt};
    if (!stored.moment.isValid() || (!stored.sales && !stored.discounts))
        return {false, QStringLiteral("a reading without a time or a total is not kept")};
    const std::lock_guard lock(writeLock());
    if (const QString problem = DataFiles::makeFolder(platform_, values_.DataDIR);
        !problem.isEmpty())
        return {false, problem};
    const QDate oldest = stored.moment.date().addDays(-(KeptDays - 1));
    QList<QJsonObject> kept;
    for (const SalesReading& earlier : readings()) {
        if (earlier.moment.date() >= oldest)
            kept.append(lineOf(earlier));
    }
    kept.append(lineOf(stored));
    return writeJsonLines(platform_.nativePath(path(values_)), kept);
}

QList<SalesReading> SalesDaysLog::readings() const {
    QList<SalesReading> readings;
    for (const QJsonObject& line : readJsonLines(platform_.nativePath(path(values_))).objects) {
        if (auto reading = readingOf(line))
            readings.append(*reading);
    }
    return readings;
}

} // namespace tillora
