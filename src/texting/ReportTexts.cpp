#include "ReportTexts.h"

#include "DatePictures.h"
#include "MobileNumber.h"
#include "TimeOfDay.h"

namespace tillora {

namespace report {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}

QString reportDate(const QDateTime& moment, const QLocale& locale) {
    return formatPicture(moment, Picture::WeekdayMonthDayYear, locale);
}

QString reportTime(const QDateTime& moment, const QLocale& locale) {
    return formatPicture(moment, Picture::Time12, locale);
}

QString salesBody(const QString& company, const QString& salesLabel, const QString& date,
                  const QString& time) {
    return QStringLiteral("The current sales total for ") + company + QStringLiteral(" is ") +
           salesLabel + QStringLiteral(" on ") + date + QStringLiteral(" at ") + time + kCrLf +
           Trailer;
}

QString discountBody(const QString& company, const QString& discountLabel, const QString& date,
                     const QString& time) {
    return QStringLiteral("The Discount Total for ") + company + QStringLiteral(" today is ") +
           discountLabel + QStringLiteral(" on ") + date + QStringLiteral(" at ") + time + kCrLf +
           Trailer;
}

QString clockedInBody(const QString& company, const QString& names, const QString& date,
                      const QString& time) {
    return QStringLiteral("Currently clocked in at ") + company + QStringLiteral(" are ") + names +
           QStringLiteral(" on ") + date + QStringLiteral(" as of ") + time + kCrLf + Trailer;
}

QString nameList(const QStringList& entries) {
    QString list;
    for (const QString& entry : entries)
        list += entry + kCrLf;
    return list + u'|';
}

QString historyRow(const QDateTime& moment, const QString& salesLabel, const QString& mobileNumber,
                   const QLocale& locale) {
    return formatPicture(moment, Picture::CompactDate, locale) + u'|' +
           formatPicture(moment, Picture::Time12, locale) + u'|' + salesLabel + u'|' +
           mobileNumber.trimmed();
}

QString logDate(const QDateTime& moment, const QLocale& locale) {
    return formatPicture(moment, Picture::WeekdayNumericDate, locale);
}

QString logTime(const QDateTime& moment, const QLocale& locale) {
    return formatPicture(moment, Picture::Time12, locale);
}

QString successLogLine(const QString& date, const QString& time) {
    return QStringLiteral("Text Sucessfully Sent  on ") + date + QStringLiteral(" at ") + time +
           kCrLf;
}

QString failureLogLine(const QString& date, const QString& time, const QString& reasons) {
    return QStringLiteral("Text FAILED to Send  on ") + date + QStringLiteral(" at ") + time +
           QStringLiteral(": ") + reasons + kCrLf;
}

QString doneCaption(const QString& date, const QString& time) {
    return QStringLiteral("Text Message sent Sucessfully on ") + date + QStringLiteral(" at ") +
           time + kCrLf + QStringLiteral("WE ARE THE PROFESSIONAL CHOICE");
}

QString refusedCaption(const QString& mobileNumber) {
    return QStringLiteral("Text Message FAILED. ") + refusedNumberReason(mobileNumber);
}

QString failedCaption(const QString& reasons) {
    return QStringLiteral("Text Message FAILED. ") + reasons;
}

} // namespace report

bool isFullHour(const QString& tickTime) {
    return tickTime.mid(3, 2) == QLatin1String("00");
}

bool insideReportWindow(const QString& first, const QString& last, const QTime& now,
                        const QLocale& locale) {
    const auto start = parseTimeOfDay(first, locale);
    const auto end = parseTimeOfDay(last, locale);
    if (!start || !end)
        return false;
    // Compared to the minute: the tick of the last hour lands at any second of it.
    const auto minute = [](const QTime& t) { return t.hour() * 60 + t.minute(); };
    return minute(*start) <= minute(now) && minute(now) <= minute(*end);
}

} // namespace tillora
