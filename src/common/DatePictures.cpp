#include "DatePictures.h"

#include <QRegularExpression>

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

namespace {

enum class DateForm { MonthDayYear, LocaleShort, Iso };

struct ReadDate {
    QDate date;
    DateForm form;
};

// The locale's short form, and the two-digit year of an older short form read in this
// century.
QDate localeDate(const QString& text, const QLocale& locale) {
    QDate date = locale.toDate(text, shortDateFormat(locale));
    const QString twoDigitFormat = locale.dateFormat(QLocale::ShortFormat);
    if (!date.isValid() && !twoDigitFormat.contains(QLatin1String("yyyy"))) {
        date = locale.toDate(text, twoDigitFormat);
        if (date.isValid() && date.year() < 2000)
            date = date.addYears(100);
    }
    return date;
}

std::optional<ReadDate> readDate(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    static const QRegularExpression slashed(
        QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4}|\\d{2})$"));
    if (const auto parts = slashed.match(trimmed); parts.hasMatch()) {
        const int year = parts.captured(3).toInt();
        const QDate date(parts.captured(3).size() == 2 ? 2000 + year : year,
                         parts.captured(1).toInt(), parts.captured(2).toInt());
        if (date.isValid())
            return ReadDate{date, DateForm::MonthDayYear};
    }
    if (QDate date = localeDate(trimmed, locale); date.isValid())
        return ReadDate{date, DateForm::LocaleShort};
    if (QDate date = QDate::fromString(trimmed, Qt::ISODate); date.isValid())
        return ReadDate{date, DateForm::Iso};
    return std::nullopt;
}

QString monthDayYear(const QDate& date) {
    return QStringLiteral("%1/%2/%3").arg(date.month()).arg(date.day()).arg(date.year());
}

} // namespace

std::optional<QDate> parseShortDate(const QString& text, const QLocale& locale) {
    if (const auto read = readDate(text, locale))
        return read->date;
    return std::nullopt;
}

QString storedDate(const QDate& date, const QString& previous, const QLocale& locale) {
    const auto read = readDate(previous, locale);
    if (!read || read->form == DateForm::MonthDayYear)
        return monthDayYear(date);
    const QString text =
        read->form == DateForm::Iso ? date.toString(Qt::ISODate) : shortDate(date, locale);
    // "8/12/2026" of a day-first locale would read back as 12 August.
    return parseShortDate(text, locale) == date ? text : monthDayYear(date);
}

} // namespace tillora
