// The kitchen printer 2 schedule file: read, decided on, and written back.
#include "FuzzInput.h"
#include "KitchenSchedule.h"
#include "ScheduleCheck.h"

using namespace tillora;
using namespace tillora::fuzz;

namespace {

bool writable(const QString& text) {
    return !text.contains(u'"') && !text.contains(u'\r') && !text.contains(u'\n');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const KitchenSchedule schedule = parseScheduleFile(bytesOf(data, size));
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    bool allWritable = true;
    for (const ScheduleRow& row : schedule) {
        for (const QTime now : {QTime(0, 0), QTime(11, 59, 59), QTime(23, 59, 59)}) {
            (void)rowInWindow(row, now, us);
            (void)scheduleAction(row, now, QStringLiteral("ON"), us);
        }
        const int weekday = rowForWeekday(row.onText);
        require(weekday >= 0 && weekday < 7, "a weekday gives a row");
        allWritable = allWritable && writable(row.onText) && writable(row.offText);
    }
    if (allWritable)
        require(parseScheduleFile(scheduleFileBytes(schedule)) == schedule,
                "a written schedule reads back");
    return 0;
}
