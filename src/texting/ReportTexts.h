#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>

namespace tillora {

// The texts of the hourly report cycle: subjects, bodies, the log line and the status
// panel captions. Date and time are taken once per cycle and passed in.
namespace report {

inline const QString SalesSubject = QStringLiteral("Current Sales Total");
inline const QString DiscountSubject = QStringLiteral("Total Discounts Today");
inline const QString ClockedInSubject = QStringLiteral("Clocked in Employees");
inline const QString Trailer =
    QStringLiteral("This Text message sent from Tillora, The professionals Choice.");
inline const QString SendingCaption = QStringLiteral("Sending Text Message");

// "DDDD MMMM DD YYYY" and "hh:mm ampm": the date and time every report text carries.
QString reportDate(const QDateTime& moment, const QLocale& locale = QLocale());
QString reportTime(const QDateTime& moment, const QLocale& locale = QLocale());

QString salesBody(const QString& company, const QString& salesLabel, const QString& date,
                  const QString& time);
QString discountBody(const QString& company, const QString& discountLabel, const QString& date,
                     const QString& time);
QString clockedInBody(const QString& company, const QString& nameList, const QString& date,
                      const QString& time);
// Each clocked-in entry ("|" + 30-character name) followed by CR LF, then one more "|".
QString nameList(const QStringList& entries);

// One row of the send history: "MMDDYYYY|HH:MM ampm|sales label|number".
QString historyRow(const QDateTime& moment, const QString& salesLabel, const QString& mobileNumber,
                   const QLocale& locale = QLocale());

// The log's date ("DDDD MM/DD/YYYY") and time ("HH:MM ampm").
QString logDate(const QDateTime& moment, const QLocale& locale = QLocale());
QString logTime(const QDateTime& moment, const QLocale& locale = QLocale());
QString successLogLine(const QString& date, const QString& time);
// A cycle in which a send failed says so, in the same form, with the reasons.
QString failureLogLine(const QString& date, const QString& time, const QString& reasons);

QString doneCaption(const QString& date, const QString& time);
QString refusedCaption(const QString& mobileNumber);
QString failedCaption(const QString& reasons);

} // namespace report

// Whether the hourly check acts at the tick's "HH:MM ampm" text: at minute "00" only.
bool isFullHour(const QString& tickTime);
// Whether `now` lies inside the report window, both ends included; a window end that
// does not read as a time of day makes no window at all.
bool insideReportWindow(const QString& first, const QString& last, const QTime& now,
                        const QLocale& locale = QLocale());

} // namespace tillora
