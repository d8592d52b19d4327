// Time-of-day and short-date texts as typed or stored: whatever reads as a time or a date
// reads the same again once written in the system's own form.
#include "DatePictures.h"
#include "FuzzInput.h"
#include "TimeOfDay.h"

using namespace tillora;
using namespace tillora::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = textOf(data, size);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    for (const QLocale& locale : {us, QLocale::c()}) {
        if (const auto time = parseTimeOfDay(text, locale)) {
            require(time->isValid(), "a parsed time is valid");
            const QString written =
                formatPicture(QDateTime(QDate(2026, 12, 8), *time), Picture::Time12, locale);
            require(sameMinute(text, written, locale), "a written time reads the same");
        }
        if (const auto date = parseShortDate(text, locale)) {
            require(date->isValid(), "a parsed date is valid");
            if (date->year() >= 1000 && date->year() <= 9999)
                require(parseShortDate(storedDate(*date, text, locale), locale) == date,
                        "a date stored in the form of the text reads the same");
        }
    }
    return 0;
}
