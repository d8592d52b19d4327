// Time lists, time-of-day reading and the date and time pictures.
#include "DatePictures.h"
#include "TimeOfDay.h"

#include <QtTest>

using namespace tillora;

class TestTimes : public QObject {
    Q_OBJECT

    const QLocale us{QLocale::English, QLocale::UnitedStates};

private Q_SLOTS:
    void quarterHourList() {
        const QStringList& times = quarterHourTimes();
        QCOMPARE(times.size(), 96);
        QCOMPARE(times.first(), QStringLiteral("12:00 am"));
        QCOMPARE(times.at(12), QStringLiteral("3:00 am"));
        QCOMPARE(times.at(39), QStringLiteral("9:45 am"));
        QCOMPARE(times.at(48), QStringLiteral("12:00 pm"));
        QCOMPARE(times.last(), QStringLiteral("11:45 pm"));
        // Every entry reads back as its own quarter hour, in order.
        for (int i = 0; i < times.size(); ++i)
            QCOMPARE(parseTimeOfDay(times.at(i), us), QTime(i / 4, (i % 4) * 15));
    }

    void parsesTimeTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QTime>("time");
        QTest::newRow("list form") << "3:00 am" << QTime(3, 0);
        QTest::newRow("leading zero") << "03:00 am" << QTime(3, 0);
        QTest::newRow("upper case") << "3:00 AM" << QTime(3, 0);
        QTest::newRow("no blank") << "3:00pm" << QTime(15, 0);
        QTest::newRow("midnight") << "12:00 am" << QTime(0, 0);
        QTest::newRow("noon") << "12:00 pm" << QTime(12, 0);
        QTest::newRow("24-hour") << "15:00" << QTime(15, 0);
        QTest::newRow("seconds") << "6:00:30 pm" << QTime(18, 0, 30);
        QTest::newRow("24-hour seconds") << "18:00:30" << QTime(18, 0, 30);
        QTest::newRow("surrounding blanks") << "  9:45 am " << QTime(9, 45);
    }
    void parsesTimeTexts() {
        QFETCH(QString, text);
        QFETCH(QTime, time);
        QCOMPARE(parseTimeOfDay(text, us), std::optional<QTime>(time));
    }

    void refusesJunk_data() {
        QTest::addColumn<QString>("text");
        for (const char* junk : {"", "Never", "3 am", "3:0 am", "13:00 pm", "24:00", "3:60 am",
                                 "3:00 xm", "3:00:61", "noon", "3:00 am please", "-1:00"})
            QTest::newRow(junk) << QString::fromLatin1(junk);
    }
    void refusesJunk() {
        QFETCH(QString, text);
        QVERIFY(!parseTimeOfDay(text, us));
    }

    void sameMinuteComparesTimes() {
        QVERIFY(sameMinute("03:00 am", "3:00 am", us));
        QVERIFY(sameMinute("03:00 AM", "3:00 am", us));
        QVERIFY(!sameMinute("3:00 pm", "3:00 am", us));
        QVERIFY(!sameMinute("junk", "junk", us));
    }

    void pictures() {
        const QDateTime moment(QDate(2026, 12, 7), QTime(15, 5, 9));
        QCOMPARE(formatPicture(moment, Picture::Time12, us), QStringLiteral("03:05 PM"));
        QCOMPARE(formatPicture(QDateTime(QDate(2026, 12, 7), QTime(0, 30)), Picture::Time12, us),
                 QStringLiteral("12:30 AM"));
        QCOMPARE(formatPicture(moment, Picture::Time24Seconds, us), QStringLiteral("15:05:09"));
        QCOMPARE(formatPicture(moment, Picture::Time24, us), QStringLiteral("15:05"));
        QCOMPARE(formatPicture(moment, Picture::WeekdayMonthDayYear, us),
                 QStringLiteral("Monday December 07 2026"));
        QCOMPARE(formatPicture(moment, Picture::WeekdayNumericDate, us),
                 QStringLiteral("Monday 12/07/2026"));
        QCOMPARE(formatPicture(moment, Picture::CompactDate, us), QStringLiteral("12072026"));
        QCOMPARE(formatPicture(moment, Picture::MonthDayYear, us),
                 QStringLiteral("December 07 2026"));
        QCOMPARE(formatPicture(moment, Picture::NumericDate, us), QStringLiteral("12/07/2026"));
        const QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(formatPicture(moment, Picture::MonthDayYear, german),
                 QStringLiteral("Dezember 07 2026"));
    }

    void shortDates() {
        const QDate day(2026, 12, 8);
        QCOMPARE(shortDate(day, us), QStringLiteral("12/8/2026"));
        QCOMPARE(parseShortDate(shortDate(day, us), us), std::optional<QDate>(day));
        QCOMPARE(parseShortDate(QStringLiteral("12/8/26"), us), std::optional<QDate>(day));
        QCOMPARE(parseShortDate(QStringLiteral("2026-12-08"), us), std::optional<QDate>(day));
        const QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(parseShortDate(shortDate(day, german), german), std::optional<QDate>(day));
        for (const char* junk : {"Never", "NEVER", "", "-1", "13/45/2026"})
            QVERIFY2(!parseShortDate(QString::fromLatin1(junk), us), junk);
    }

    // A file's date keeps its form whatever the locale reading and writing it.
    void storedDatesKeepTheFilesForm() {
        const QLocale c = QLocale::c(); // LC_ALL=C.UTF-8
        const QDate next(2027, 1, 2);
        QCOMPARE(parseShortDate(QStringLiteral("1/1/2027"), c), std::optional(QDate(2027, 1, 1)));
        QCOMPARE(storedDate(next, QStringLiteral("1/1/2027"), c), QStringLiteral("1/2/2027"));
        QCOMPARE(storedDate(next, QStringLiteral("Never"), c), QStringLiteral("1/2/2027"));
        QCOMPARE(storedDate(next, QStringLiteral("2027-01-01"), c), QStringLiteral("2027-01-02"));
        const QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(storedDate(next, QStringLiteral("01.01.2027"), german),
                 QStringLiteral("02.01.2027"));
        // A day-first form that would read back as 1 February is written month first.
        const QLocale uk(QLocale::English, QLocale::UnitedKingdom);
        QCOMPARE(storedDate(next, QStringLiteral("13/12/2026"), uk), QStringLiteral("1/2/2027"));
    }
};

QTEST_GUILESS_MAIN(TestTimes)
#include "tst_times.moc"
