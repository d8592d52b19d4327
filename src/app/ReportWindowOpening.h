#pragma once

#include "OffsiteStep.h"

namespace tillora {

class Platform;
struct ProgramValues;

// The store opens when the first report of the day goes out: the report window's first
// report time, read from its file each night, while reports are on.
class ReportWindowOpening final : public StoreOpening {
public:
    ReportWindowOpening(const Platform& platform, const ProgramValues& values)
        : platform_(platform)
        , values_(values) {}

    std::optional<QTime> firstReportTime() const override;

private:
    const Platform& platform_;
    const ProgramValues& values_;
};

} // namespace tillora
