#include "AppAlertSources.h"

#include "BackupHistoryLog.h"
#include "BackupSetupSnapshot.h"
#include "DatePictures.h"
#include "DaySummarySettings.h"
#include "ProgramValues.h"
#include "SalesDaysLog.h"
#include "TextSettingsFile.h"
#include "TimeOfDay.h"

namespace tillora {

AppAlertSources::AppAlertSources(const Platform& platform, const ProgramValues& values,
                                 const BackupSetupAccess& setup, const BackupHistoryLog& history)
    : platform_(platform)
    , values_(values)
    , setup_(setup)
    , history_(history) {
}

AlertSettings AppAlertSources::alertSettings() const {
    return AlertSettings::load(platform_, values_);
}

QString AppAlertSources::companyName() const {
    return values_.CompanyName;
}

QString AppAlertSources::backupStartTime() const {
    return setup_.snapshot().startTime();
}

std::optional<QTime> AppAlertSources::reportWindowStart() const {
    // The texter's settings file exists only while texting is switched on.
    const auto settings = loadTextSettings(platform_, values_);
    if (!settings || !settings->firstReportTime || settings->featureOn == false)
        return std::nullopt;
    return parseTimeOfDay(*settings->firstReportTime);
}

std::optional<QDateTime> AppAlertSources::lastBackup() const {
    std::optional<QDateTime> last = history_.lastBackupEnd();
    // The last backup date of the settings counts too: a history that could not be
    // written (a full disk) must not make a good backup look stale. Its night's run
    // started at the start time.
    if (const auto date = parseShortDate(setup_.snapshot().lastBackupText())) {
        const QDateTime dated(*date, parseTimeOfDay(backupStartTime()).value_or(QTime(0, 0)));
        if (!last || dated > *last)
            last = dated;
    }
    return last;
}

QList<PastRun> AppAlertSources::runsSince(const QDateTime& since) const {
    QList<PastRun> runs;
    for (const HistoryEntry& entry : history_.runs()) {
        if (entry.run.started >= since)
            runs.append({entry.run.started, entry.run.outcome, entry.run.trigger,
                         entry.run.foldersLeftOut});
    }
    return runs;
}

// Each day counts by its highest reading, as the day summary counts it.
std::optional<double> AppAlertSources::salesOfDays(const QDate& first, const QDate& last) const {
    if (!DaySummarySettings::load(platform_, values_).enabled)
        return std::nullopt;
    const QList<SalesReading> readings = SalesDaysLog(platform_, values_).readings();
    std::optional<double> total;
    for (QDate day = first; day <= last; day = day.addDays(1)) {
        if (const auto sales = salesBy(readings, day, QTime(23, 59, 59, 999)))
            total = total.value_or(0) + sales->sales;
    }
    return total;
}

} // namespace tillora
