#include "DaySummary.h"

#include "RunSummary.h"
#include "RunWords.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace tillora {

namespace {

// Names of days and months in the program's own words, whatever the locale.
const QLocale English(QLocale::English, QLocale::UnitedStates);

QString money(double amount) {
    return TotalResult{amount, {}}.labelText();
}

QString notRead(const QString& what, const QString& reason) {
    return what + QStringLiteral(": not read (") + reason + u')';
}

// "+17%", "-5%"; nothing when there is nothing to compare with.
std::optional<QString> change(double now, double before) {
    if (before <= 0)
        return std::nullopt;
    const long percent = std::lround((now - before) / before * 100);
    return (percent >= 0 ? QStringLiteral("+") : QString()) + QString::number(percent) + u'%';
}

QString dayInWords(const QDate& day, const QDate& today) {
    const qint64 days = day.daysTo(today);
    if (days == 0)
        return QStringLiteral("today");
    if (days > 0 && days < 7)
        return English.toString(day, QStringLiteral("dddd"));
    return English.toString(day, QStringLiteral("M/d"));
}

// "3:41 am" today, "Sunday 3:41 am" this week, "11/28 3:41 am" before.
QString momentInWords(const QDateTime& moment, const QDate& today) {
    const QString time = timeOfDayInWords(moment.time());
    return moment.date() == today ? time : dayInWords(moment.date(), today) + u' ' + time;
}

// The nightly runs: the operator's "Backup Now" is not the night's backup.
QList<HistoryEntry> nightlyRuns(const QList<HistoryEntry>& runs) {
    QList<HistoryEntry> nights;
    for (const HistoryEntry& entry : runs) {
        if (entry.run.isRun() && entry.run.trigger != RunTrigger::BackupNow)
            nights.append(entry);
    }
    std::stable_sort(nights.begin(), nights.end(),
                     [](const auto& a, const auto& b) { return a.run.started < b.run.started; });
    return nights;
}

bool driveMissing(const BackupRunResult& run) {
    return run.outcome == RunOutcome::DestinationUnavailable &&
           run.destinationFault == DestinationFault::Missing;
}

} // namespace

QString daySummaryTitle(const QString& company, const QDate& day) {
    return company + QStringLiteral(": day summary ") +
           English.toString(day, QStringLiteral("ddd M/d"));
}

DaySummaryComposer::DaySummaryComposer(const DaySummarySources& sources)
    : sources_(sources) {
}

DaySummary DaySummaryComposer::compose(const QDateTime& now) const {
    const QDate today = now.date();
    const TotalResult sales = sources_.salesTotal();
    const TotalResult discounts = sources_.discountTotal();
    const QList<HistoryEntry> nights =
        nightlyRuns(sources_.runsSince(today.addDays(-DaysOfRuns).startOfDay()));

    QList<SalesReading> readings = sources_.salesReadings();
    readings.append({now, sales.total, discounts.total});

    QStringList lines{salesLine(sales, readings, now), discountsLine(discounts, readings, now),
                      clockedInLine()};
    lines += backupLines(nights, today);
    lines += sources_.provenLines();
    if (const QStringList owner = needsTheOwner(nights, today); !owner.isEmpty())
        lines += QStringLiteral("Needs you: ") + owner.join(QStringLiteral("; "));
    return {{daySummaryTitle(sources_.companyName(), today), lines.join(u'\n'), false},
            {now, sales.total, discounts.total}};
}

// "Sales $4,812.30 (last Tue $4,120.10 by this time, +17%)". The tender file holds the
// current day only and the day close empties it: the day's highest reading stands.
QString DaySummaryComposer::salesLine(const TotalResult& sales, const QList<SalesReading>& readings,
                                      const QDateTime& now) const {
    if (!sales.total)
        return notRead(QStringLiteral("Sales"), sales.reason);
    const DaySales today = salesBy(readings, now.date(), now.time()).value_or(DaySales{});
    QStringList notes;
    if (today.closed)
        notes.append(QStringLiteral("before the day was closed"));
    const QDate lastWeek = now.date().addDays(-7);
    if (const auto before = salesBy(readings, lastWeek, now.time())) {
        QString compared =
            QStringLiteral("last %1 %2 by this time")
                .arg(English.toString(lastWeek, QStringLiteral("ddd")), money(before->sales));
        if (const auto percent = change(today.sales, before->sales))
            compared += QStringLiteral(", ") + *percent;
        notes.append(compared);
    }
    QString line = QStringLiteral("Sales ") + money(today.sales);
    if (!notes.isEmpty())
        line += QStringLiteral(" (") + notes.join(QStringLiteral("; ")) + u')';
    return line;
}

// After the day close the discounts go with the sales figure that stands: both were read
// together before the close emptied the tender file.
QString DaySummaryComposer::discountsLine(const TotalResult& discounts,
                                          const QList<SalesReading>& readings,
                                          const QDateTime& now) const {
    const auto day = salesBy(readings, now.date(), now.time());
    if (day && day->closed && day->discounts)
        return QStringLiteral("Discounts ") + money(*day->discounts);
    return discounts.total ? QStringLiteral("Discounts ") + money(*discounts.total)
                           : notRead(QStringLiteral("Discounts"), discounts.reason);
}

QString DaySummaryComposer::clockedInLine() const {
    const ClockedInList list = sources_.clockedIn();
    if (!list.failure.isEmpty())
        return notRead(QStringLiteral("Clocked in"), list.failure);
    QStringList names;
    for (const ClockedInEmployee& employee : list.employees)
        names.append(employee.name.trimmed());
    return names.isEmpty() ? QStringLiteral("nobody clocked in")
                           : QStringLiteral("Clocked in: ") + names.join(QStringLiteral(", "));
}

// The result line of the main window, the days of versions the run left on the drive,
// and the off-site copy when there is one.
QStringList DaySummaryComposer::backupLines(const QList<HistoryEntry>& nights,
                                            const QDate& today) const {
    QStringList lines;
    if (nights.isEmpty()) {
        lines.append(QStringLiteral("Backup: no nightly run in %1 days").arg(DaysOfRuns));
    } else {
        const HistoryEntry& last = nights.last();
        const QDate night = last.run.started.date();
        lines.append(
            QStringLiteral("Backup ") +
            (night == today ? QString() : English.toString(night, QStringLiteral("ddd "))) +
            summarize(last.run, last.filesNotCopied).line);
        if (last.run.oldestVersion.isValid())
            lines.append(QStringLiteral("Earlier versions: %1 days on the backup drive")
                             .arg(last.run.oldestVersion.daysTo(last.run.started.date()) + 1));
    }
    if (const auto offsite = sources_.offsite()) {
        lines.append(QStringLiteral("Off-site: ") +
                     (offsite->lastCopy
                          ? QStringLiteral("last copy ") + momentInWords(*offsite->lastCopy, today)
                          : QStringLiteral("no copy yet")) +
                     (offsite->lastCheck.isValid()
                          ? QStringLiteral(", checked ") + dayInWords(offsite->lastCheck, today)
                          : QStringLiteral(", not checked yet")));
    }
    return lines;
}

// "Backup drive not found since Monday", "2 files not copied last night", a gateway that
// closes.
QStringList DaySummaryComposer::needsTheOwner(const QList<HistoryEntry>& nights,
                                              const QDate& today) const {
    QStringList needs;
    if (!nights.isEmpty()) {
        const HistoryEntry& last = nights.last();
        if (last.run.isBackup() && last.filesNotCopied > 0) {
            needs.append(filesInWords(last.filesNotCopied) + QStringLiteral(" not copied ") +
                         (last.run.started.date().daysTo(today) <= 1
                              ? QStringLiteral("last night")
                              : English.toString(last.run.started.date(), QStringLiteral("dddd"))));
        } else if (!last.run.isBackup() && last.run.outcome != RunOutcome::Declined) {
            // The first night of the same fault, however many runs tried since.
            QDate since = last.run.started.date();
            for (auto night = nights.rbegin(); night != nights.rend(); ++night) {
                if (night->run.isBackup() || night->run.outcome != last.run.outcome)
                    break;
                since = night->run.started.date();
            }
            const QString fault = driveMissing(last.run)
                                      ? QStringLiteral("Backup drive not found")
                                      : QStringLiteral("Backup failed (%1)")
                                            .arg(outcomeInWords(last.run, last.filesNotCopied));
            needs.append(fault + (since == today
                                      ? QStringLiteral(" last night")
                                      : QStringLiteral(" since ") + dayInWords(since, today)));
        }
    }
    needs += sources_.channelWarnings(today);
    return needs;
}

} // namespace tillora
