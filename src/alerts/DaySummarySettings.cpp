#include "DaySummarySettings.h"

#include "AlertSettings.h"
#include "DataFiles.h"
#include "IniKeys.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "TimeOfDay.h"

#include <algorithm>

namespace tillora {

namespace {

const std::array<IniKey<DaySummarySettings>, 2> Keys{{
    {"Summary/Enabled", &DaySummarySettings::enabled},
    {"Summary/At", &DaySummarySettings::at},
}};

} // namespace

std::optional<QTime> DaySummarySettings::sendTime(const QString& lastReportTime) const {
    if (!at.trimmed().isEmpty())
        return parseTimeOfDay(at.trimmed());
    const auto last = parseTimeOfDay(lastReportTime);
    if (!last)
        return std::nullopt;
    // Past midnight the summary would belong to the next day: the day's last minute holds.
    const int minutes =
        std::min(last->msecsSinceStartOfDay() / 60000 + DefaultMinutesAfterReports, 24 * 60 - 1);
    return QTime(minutes / 60, minutes % 60);
}

DaySummarySettings DaySummarySettings::load(const Platform& platform, const ProgramValues& values) {
    return readIniKeys(readIniFile(platform.nativePath(AlertSettings::windowsPath(values))), Keys);
}

SaveResult DaySummarySettings::save(const Platform& platform, const ProgramValues& values) const {
    if (const QString problem = DataFiles::makeFolder(platform, values.DataDIR); !problem.isEmpty())
        return {false, problem};
    const QString path = platform.nativePath(AlertSettings::windowsPath(values));
    QVariantMap stored = readIniFile(path);
    writeIniKeys(stored, Keys, *this);
    return writeIniFile(path, stored, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QString summaryTimeProblem(const QString& text) {
    if (text.trimmed().isEmpty() || parseTimeOfDay(text.trimmed()))
        return {};
    return QStringLiteral("Summary time: \"%1\" is not a time of day; write it as 10:15 pm or "
                          "22:15, or leave it empty for a quarter of an hour after the last "
                          "report.")
        .arg(text.trimmed());
}

} // namespace tillora
