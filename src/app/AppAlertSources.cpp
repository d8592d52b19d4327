#include "AppAlertSources.h"

#include "BackupControls.h"
#include "DatePictures.h"
#include "ProgramValues.h"
#include "TextSettingsFile.h"
#include "TimeOfDay.h"

namespace tillora {

AppAlertSources::AppAlertSources(const Platform& platform, const ProgramValues& values,
                                 const BackupControls& controls,
                                 std::function<QString()> startTimeText)
    : platform_(platform)
    , values_(values)
    , controls_(controls)
    , startTimeText_(std::move(startTimeText)) {
}

AlertSettings AppAlertSources::alertSettings() const {
    return AlertSettings::load(platform_, values_);
}

QString AppAlertSources::companyName() const {
    return values_.CompanyName;
}

QString AppAlertSources::backupStartTime() const {
    return startTimeText_ ? startTimeText_() : QString();
}

std::optional<QTime> AppAlertSources::reportWindowStart() const {
    // The texter's settings file exists only while texting is switched on.
    const auto settings = loadTextSettings(platform_, values_);
    if (!settings || !settings->firstReportTime || settings->featureOn == false)
        return std::nullopt;
    return parseTimeOfDay(*settings->firstReportTime);
}

std::optional<QDateTime> AppAlertSources::lastBackup() const {
    // The last backup date of the settings; the night's run started at the start time.
    const auto date = parseShortDate(controls_.lastBackupText());
    if (!date)
        return std::nullopt;
    const auto start = parseTimeOfDay(backupStartTime());
    return QDateTime(*date, start.value_or(QTime(0, 0)));
}

QList<PastRun> AppAlertSources::runsSince(const QDateTime&) const {
    return {};
}

} // namespace tillora
