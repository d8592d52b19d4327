#include "KitchenSchedule.h"

#include "QuotedCsv.h"

namespace tillora {

QByteArray scheduleFileBytes(const KitchenSchedule& schedule) {
    QuotedLineWriter writer;
    for (const ScheduleRow& row : schedule)
        writer.textLine({row.onText, row.offText});
    return writer.bytes();
}

KitchenSchedule parseScheduleFile(const QByteArray& bytes) {
    KitchenSchedule schedule;
    QuotedValueReader reader(bytes);
    for (ScheduleRow& row : schedule) {
        row.onText = reader.next().value_or(QString());
        row.offText = reader.next().value_or(QString());
    }
    return schedule;
}

} // namespace tillora
