#include "ReportWindowOpening.h"

#include "TextSettingsFile.h"
#include "TimeOfDay.h"

namespace tillora {

std::optional<QTime> ReportWindowOpening::firstReportTime() const {
    // The file exists only while reports are on.
    const auto settings = loadTextSettings(platform_, values_);
    if (!settings || !settings->featureOn.value_or(true) || !settings->firstReportTime)
        return std::nullopt;
    return parseTimeOfDay(*settings->firstReportTime);
}

} // namespace tillora
