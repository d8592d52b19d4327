#include "DatePictures.h"

namespace tillora {

namespace {

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

QString shortDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}

} // namespace

QString formatPicture(const QDateTime& moment, Picture picture, const QLocale& locale) {
    const QDate d = moment.date();
    const QTime t = moment.time();
    const QString weekday = locale.dayName(d.dayOfWeek(), QLocale::LongFormat);
    const QString month = locale.monthName(d.month(), QLocale::LongFormat);
    const QString year = QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
    const QString numericDate = twoDigits(d.month()) + u'/' + twoDigits(d.day()) + u'/' + year;
    switch (picture) {
    case Picture::Time12: {
        const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
        const QString designator = t.hour() < 12 ? locale.amText() : locale.pmText();
        return twoDigits(hour12) + u':' + twoDigits(t.minute()) + u' ' + designator;
    }
    case Picture::Time24Seconds:
        return twoDigits(t.hour()) + u':' + twoDigits(t.minute()) + u':' + twoDigits(t.second());
    case Picture::Time24:
        return twoDigits(t.hour()) + u':' + twoDigits(t.minute());
    case Picture::WeekdayMonthDayYear:
        return weekday + u' ' + month + u' ' + twoDigits(d.day()) + u' ' + year;
    case Picture::WeekdayNumericDate:
        return weekday + u' ' + numericDate;
    case Picture::CompactDate:
        return twoDigits(d.month()) + twoDigits(d.day()) + year;
    case Picture::MonthDayYear:
        return month + u' ' + twoDigits(d.day()) + u' ' + year;
    case Picture::NumericDate:
        return numericDate;
    }
    return {};
}

QString shortDate(const QDate& date, const QLocale& locale) {
    return locale.toString(date, shortDateFormat(locale));
}

std::optional<QDate> parseShortDate(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    QDate date = locale.toDate(trimmed, shortDateFormat(locale));
    if (!date.isValid()) {
        // A two-digit year as an older short form wrote it: read it in this century.
        const QString twoDigitFormat = locale.dateFormat(QLocale::ShortFormat);
        if (!twoDigitFormat.contains(QLatin1String("yyyy"))) {
            date = locale.toDate(trimmed, twoDigitFormat);
            if (date.isValid() && date.year() < 2000)
                date = date.addYears(100);
        }
    }
    if (!date.isValid())
        date = QDate::fromString(trimmed, Qt::ISODate);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace tillora
