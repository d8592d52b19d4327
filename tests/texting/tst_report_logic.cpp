// The day's totals from the point-of-sale files, the report texts and the hourly check.
#include "FakePlatform.h"
#include "HourlyReportCheck.h"
#include "ManualClock.h"
#include "MobileNumber.h"
#include "PosTotals.h"
#include "ProgramValues.h"
#include "ReportCycle.h"
#include "ReportTexts.h"
#include "TempDrives.h"
#include "TextingTestData.h"

#include <QSignalSpy>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

// A discount record: eight values, the third a count, the fifth an amount.
QByteArray discount(const QByteArray& count, const QByteArray& amount) {
    return "\"D1\",\"Senior\"," + count + ",\"x\"," + amount + ",0,\"y\",1\r\n";
}

class FakeTexter final : public TexterView {
public:
    bool featureOn() const override { return check1; }
    QString mobileNumber() const override { return number; }
    QString gatewayTemplate() const override { return gateway; }
    QString firstReportTime() const override { return first; }
    QString lastReportTime() const override { return last; }
    bool salesReport() const override { return check2; }
    bool discountReport() const override { return check3; }
    bool clockedInReport() const override { return check5; }
    QString salesLabel() const override { return label2; }
    void setSalesLabel(const QString& text) override { label2 = text; }
    QString discountLabel() const override { return label4; }
    void setDiscountLabel(const QString& text) override { label4 = text; }
    void setClockedInLabel(const QString& text) override { label5 = text; }
    void addHistoryRow(const QString& row) override { history.append(row); }
    void runSalesTotal() override { label2 = sales; }
    void runDiscountTotal() override { label4 = discounts; }
    QStringList reloadClockedIn() override { return clockedIn; }
    void closeWindow() override { closed = true; }

    bool check1 = true, check2 = true, check3 = true, check5 = true;
    QString number = "555-123-4567", gateway = "number@vtext.com";
    QString first = "9:00 am", last = "5:00 pm";
    QString label2, label4, label5, sales = "$12.01", discounts = "$4.50";
    QStringList clockedIn, history;
    bool closed = false;
};

// Records each message with the channels it was sent on; every channel answers alike.
class FakeNotifier final : public Notifier {
public:
    struct Sent {
        QString subject, body;
        QList<Channel> channels;
    };
    QList<Channel> enabledChannels() const override { return enabled; }
    QList<ChannelOutcome> send(const NotifyMessage& message, const QList<Channel>& channels,
                               const ChannelAnswered&) override {
        sent.append({message.subject, message.text, channels});
        QList<ChannelOutcome> outcomes;
        for (const Channel channel : channels)
            outcomes.append({channel, failWith.isEmpty(), failWith});
        return outcomes;
    }
    QList<Channel> enabled{Channel::Gateway};
    QList<Sent> sent;
    QString failWith;
};

class TexterHostFake final : public TexterHost {
public:
    explicit TexterHostFake(FakeTexter& texter)
        : texter_(texter) {}
    TexterView& loadHidden() override {
        ++loads;
        return texter_;
    }
    bool cycleRunning() const override { return busy; }
    int loads = 0;
    bool busy = false;

private:
    FakeTexter& texter_;
};

// Runs one cycle to its end: its sends come back through the event loop.
void runCycle(ReportCycle& cycle) {
    QSignalSpy done(&cycle, &ReportCycle::finished);
    cycle.Work_it();
    QVERIFY(!done.isEmpty() || done.wait(20000));
}

void runCycle(TexterView& texter, Notifier& notifier, ReportStatusPanel& panel, Platform& platform,
              const Clock& clock, const ProgramValues& values) {
    ReportCycle cycle(texter, notifier, panel, platform, clock, values);
    runCycle(cycle);
}

} // namespace

class TestReportLogic : public QObject {
    Q_OBJECT

    std::unique_ptr<TempDrives> drives;
    std::unique_ptr<FakePlatform> platform;
    const QString remote = "c:\\Tillora\\";

    void writeTenders(const QByteArray& bytes) {
        drives->writeFile('c', "Tillora/TDTenders.daT", bytes);
    }
    void writeDiscounts(const QByteArray& bytes) {
        drives->writeFile('c', "Tillora/ini/DiscountList.daT", bytes);
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void init() {
        drives = std::make_unique<TempDrives>();
        drives->addDrive('c');
        QDir(drives->root('c')).mkpath("Tillora/ini");
        platform = std::make_unique<FakePlatform>(drives->driveFolder());
    }

    void hashPattern() {
        QCOMPARE(hashPatternAmount(12.5), QStringLiteral("12.5"));
        QCOMPARE(hashPatternAmount(12), QStringLiteral("12."));
        QCOMPARE(hashPatternAmount(0.5), QStringLiteral(".5"));
        QCOMPARE(hashPatternAmount(0), QStringLiteral("."));
        QCOMPARE(hashPatternAmount(0.001), QStringLiteral("."));
        QCOMPARE(hashPatternAmount(10.006), QStringLiteral("10.01"));
        QCOMPARE(hashPatternAmount(-3.5), QStringLiteral("-3.5"));
        QCOMPARE(hashPatternAmount(100), QStringLiteral("100."));
    }

    void salesTotals() {
        PosTotals totals(*platform, remote);
        writeTenders({});
        QCOMPARE(totals.salesTotal().labelText(), QStringLiteral("$0.00"));

        // Each amount is rounded to cents before it is added; zero is skipped; a negative
        // amount (a refund) is subtracted.
        writeTenders(tenderRecord("10.006") + tenderRecord("2") + tenderRecord("0") +
                     tenderRecord("-1.5"));
        TotalResult result = totals.salesTotal();
        QCOMPARE(result.labelText(), QStringLiteral("$10.51"));
        QVERIFY(drives->exists('c', "Tillora/TDTenders.TMP"));

        // The copy is made afresh for every run.
        writeTenders(tenderRecord("10.006") + tenderRecord("2"));
        QCOMPARE(totals.salesTotal().labelText(), QStringLiteral("$12.01"));
        QCOMPARE(drives->readFile('c', "Tillora/TDTenders.TMP"),
                 tenderRecord("10.006") + tenderRecord("2"));
        // A blank line after the last record is no record of its own.
        writeTenders(tenderRecord("2") + "\r\n");
        QCOMPARE(totals.salesTotal().labelText(), QStringLiteral("$2.00"));
    }

    void salesTotalFailures() {
        PosTotals totals(*platform, remote);
        TotalResult missing = totals.salesTotal();
        QVERIFY(!missing.total);
        QCOMPARE(missing.labelText(), QString());
        QVERIFY(missing.reason.contains("TDTenders.daT"));

        // A last record cut short leaves no total: the label stays empty.
        writeTenders(tenderRecord("5") + "\"T2\",\"CASH\",3,1\r\n");
        QVERIFY(!totals.salesTotal().total);
        // So does an amount that is not a number, even with good records after it.
        writeTenders(tenderRecord("\"abc\"") + tenderRecord("5"));
        QVERIFY(!totals.salesTotal().total);
    }

    void discountTotals() {
        PosTotals totals(*platform, remote);
        QVERIFY(!totals.discountTotal().total);
        writeDiscounts(discount("3", "1.5") + discount("2", "0"));
        QCOMPARE(totals.discountTotal().labelText(), QStringLiteral("$4.50"));
        // Bad records are skipped, not fatal; a record cut short at the end too.
        writeDiscounts(discount("\"many\"", "1") + discount("2", "\"x\"") + discount("1", "2.25") +
                       "\"D9\",\"Cut\",1");
        QCOMPARE(totals.discountTotal().labelText(), QStringLiteral("$2.25"));
        writeDiscounts({});
        QCOMPARE(totals.discountTotal().labelText(), QStringLiteral("$0.00"));
    }

    void numberChecks_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("refused");
        QTest::newRow("usual grouping") << "555-123-4567" << false;
        QTest::newRow("odd dashes") << "55-51234-567" << false;
        QTest::newRow("default") << "000-000-0000" << true;
        QTest::newRow("leading zero") << "055-123-4567" << true;
        QTest::newRow("seven digits") << "123-4567" << true;
        QTest::newRow("eleven digits") << "1-555-123-4567" << true;
        QTest::newRow("letters") << "555-ABC-4567" << true;
    }
    void numberChecks() {
        QFETCH(QString, number);
        QFETCH(bool, refused);
        QCOMPARE(checkMobileNumber(number) != NumberCheck::Ok, refused);
    }

    void reportTexts() {
        QCOMPARE(mobileAddress("555-123-4567", "number@vtext.com"),
                 QStringLiteral("5551234567@vtext.com"));
        QCOMPARE(report::nameList({}), QStringLiteral("|"));
        QCOMPARE(report::nameList({"|Ann", "|Bob"}), QStringLiteral("|Ann\r\n|Bob\r\n|"));
        const QDateTime moment(QDate(2026, 12, 7), QTime(15, 0, 40));
        QCOMPARE(report::salesBody("Joe's", "$1.00", report::reportDate(moment),
                                   report::reportTime(moment)),
                 QStringLiteral("The current sales total for Joe's is $1.00 on Monday December 07 "
                                "2026 at 03:00 PM\r\nThis Text message sent from Tillora, The "
                                "professionals Choice."));
        QCOMPARE(report::successLogLine(report::logDate(moment), report::logTime(moment)),
                 QStringLiteral("Text Sucessfully Sent  on Monday 12/07/2026 at 03:00 PM\r\n"));
        QCOMPARE(report::historyRow(moment, "$1.00", " 555-123-4567 "),
                 QStringLiteral("12072026|03:00 PM|$1.00|555-123-4567"));
    }

    void hourlyWindow_data() {
        QTest::addColumn<QString>("tick");
        QTest::addColumn<QTime>("now");
        QTest::addColumn<bool>("featureOn");
        QTest::addColumn<bool>("runs");
        QTest::newRow("9:00 first hour") << "09:00 AM" << QTime(9, 0, 20) << true << true;
        QTest::newRow("5:00 last hour") << "05:00 PM" << QTime(17, 0, 0) << true << true;
        QTest::newRow("5:00:37 still the last hour")
            << "05:00 PM" << QTime(17, 0, 37) << true << true;
        QTest::newRow("8:00 before") << "08:00 AM" << QTime(8, 0, 10) << true << false;
        QTest::newRow("6:00 after") << "06:00 PM" << QTime(18, 0, 10) << true << false;
        QTest::newRow("texting off") << "10:00 AM" << QTime(10, 0, 10) << false << false;
        QTest::newRow("not a full hour") << "10:15 AM" << QTime(10, 15, 10) << true << false;
    }
    void hourlyWindow() {
        QFETCH(QString, tick);
        QFETCH(QTime, now);
        QFETCH(bool, featureOn);
        QFETCH(bool, runs);
        FakeTexter texter;
        texter.check1 = featureOn;
        RecordingStatusPanel panel;
        TexterHostFake host(texter);
        ManualClock clock(QDateTime(QDate(2026, 12, 7), now));
        int cycles = 0;
        HourlyReportCheck check(host, panel, clock, [&](TexterView&) { ++cycles; });
        QCOMPARE(check.run(tick), runs);
        QCOMPARE(cycles, runs ? 1 : 0);
        QCOMPARE(host.loads, tick.mid(3, 2) == "00" ? 1 : 0); // loaded hidden at every full hour
        QCOMPARE(panel.caption, runs ? QStringLiteral("Sending Text Message") : QString());
    }

    void oneCycleAnHourAndNoneBesideARunningOne() {
        FakeTexter texter;
        TexterHostFake host(texter);
        RecordingStatusPanel panel;
        ManualClock clock(QDateTime(QDate(2026, 12, 7), QTime(10, 0, 1)));
        int cycles = 0;
        HourlyReportCheck check(host, panel, clock, [&](TexterView&) { ++cycles; });
        host.busy = true; // "Work It" pressed just before the hour
        QVERIFY(!check.run("10:00 AM"));
        host.busy = false;
        QVERIFY(check.run("10:00 AM"));
        clock.advanceSeconds(55); // a second tick in the same minute
        QVERIFY(!check.run("10:00 AM"));
        clock.set(QDateTime(QDate(2026, 12, 7), QTime(11, 0, 40)));
        QVERIFY(check.run("11:00 AM"));
        QCOMPARE(cycles, 2);
    }

    void hourlyWindowWithJunkTimes() {
        QVERIFY(!insideReportWindow("later", "5:00 pm", QTime(12, 0)));
        QVERIFY(!insideReportWindow("9:00 am", "", QTime(12, 0)));
        QVERIFY(insideReportWindow("09:00 AM", "17:00", QTime(12, 0)));
    }

    void cycleSendsInOrderAndLogs() {
        FakeTexter texter;
        texter.clockedIn = {"|Ann" + QString(27, ' '), "|Bob" + QString(27, ' ')};
        FakeNotifier mail;
        RecordingStatusPanel panel;
        ManualClock clock(QDateTime(QDate(2026, 12, 7), QTime(15, 0, 40)));
        ProgramValues values;
        values.CompanyName = "Joe's Diner";
        ReportCycle cycle(texter, mail, panel, *platform, clock, values);
        runCycle(cycle);

        QCOMPARE(mail.sent.size(), 3);
        QCOMPARE(mail.sent[0].subject, QStringLiteral("Current Sales Total"));
        QCOMPARE(mail.sent[1].subject, QStringLiteral("Total Discounts Today"));
        QCOMPARE(mail.sent[2].subject, QStringLiteral("Clocked in Employees"));
        for (const auto& m : mail.sent) {
            QCOMPARE(m.channels, QList<Channel>{Channel::Gateway});
            QVERIFY(m.body.contains(" on Monday December 07 2026 "));
            QVERIFY(m.body.contains("03:00 PM\r\nThis Text message sent"));
        }
        QVERIFY(mail.sent[0].body.contains("Joe's Diner is $12.01 on"));
        QVERIFY(mail.sent[1].body.contains("Joe's Diner today is $4.50 on"));
        QVERIFY(mail.sent[2].body.contains("are |Ann" + QString(27, ' ') + "\r\n|Bob"));
        QCOMPARE(texter.history, QStringList{"12072026|03:00 PM|$12.01|555-123-4567"});
        QCOMPARE(drives->readFile('c', "Tillora/TxtMsg.log"),
                 QByteArray("Text Sucessfully Sent  on Monday 12/07/2026 at 03:00 PM\r\n"));
        QCOMPARE(panel.caption, QStringLiteral("Text Message sent Sucessfully on Monday "
                                               "12/07/2026 at 03:00 PM\r\nWE ARE THE "
                                               "PROFESSIONAL CHOICE"));
        QCOMPARE(panel.panelStyle, 0);
        QVERIFY(panel.mainShown);
        QVERIFY(texter.closed);
    }

    void cycleOutcomes() {
        ManualClock clock(QDateTime(QDate(2026, 12, 7), QTime(15, 0, 40)));
        ProgramValues values;
        {
            // Refused number: no message, no log, the refused state.
            FakeTexter texter;
            texter.number = "000-000-0000";
            FakeNotifier mail;
            RecordingStatusPanel panel;
            runCycle(texter, mail, panel, *platform, clock, values);
            QVERIFY(mail.sent.isEmpty());
            QVERIFY(!drives->exists('c', "Tillora/TxtMsg.log"));
            QCOMPARE(panel.caption,
                     QStringLiteral("Text Message FAILED. You cannot send to 000-000-0000"));
            QCOMPARE(panel.colour, 255u);
            QVERIFY(texter.closed && panel.mainShown);
        }
        {
            // No report switched on: no message, but the log line and the done state.
            FakeTexter texter;
            texter.check2 = texter.check3 = texter.check5 = false;
            FakeNotifier mail;
            RecordingStatusPanel panel;
            runCycle(texter, mail, panel, *platform, clock, values);
            QVERIFY(mail.sent.isEmpty());
            QVERIFY(drives->readFile('c', "Tillora/TxtMsg.log").startsWith("Text Sucessfully"));
            QCOMPARE(panel.panelStyle, 0);
        }
        {
            // Sends that fail are logged and shown as failures, with their reasons.
            FakeTexter texter;
            texter.check3 = texter.check5 = false;
            FakeNotifier mail;
            mail.failWith = "server unreachable";
            RecordingStatusPanel panel;
            runCycle(texter, mail, panel, *platform, clock, values);
            const QByteArray log = drives->readFile('c', "Tillora/TxtMsg.log");
            QVERIFY(log.endsWith("Text FAILED to Send  on Monday 12/07/2026 at 03:00 PM: gateway: "
                                 "sales report: server unreachable\r\n"));
            QCOMPARE(panel.caption, QStringLiteral("Text Message FAILED. gateway: sales report: "
                                                   "server unreachable"));
            QCOMPARE(panel.colour, 255u);
        }
        {
            // The number gates the carrier gateway only: push goes out without one, and
            // with the gateway also on, its refusal is the cycle's failure.
            FakeTexter texter;
            texter.number = "000-000-0000";
            texter.check3 = texter.check5 = false;
            FakeNotifier mail;
            mail.enabled = {Channel::Push};
            RecordingStatusPanel panel;
            runCycle(texter, mail, panel, *platform, clock, values);
            QCOMPARE(mail.sent.size(), 1);
            QCOMPARE(mail.sent[0].channels, QList<Channel>{Channel::Push});
            QCOMPARE(panel.panelStyle, 0);

            mail.enabled = {Channel::Gateway, Channel::Push};
            runCycle(texter, mail, panel, *platform, clock, values);
            QCOMPARE(mail.sent[1].channels, QList<Channel>{Channel::Push});
            QVERIFY(drives->readFile('c', "Tillora/TxtMsg.log")
                        .endsWith("03:00 PM: gateway: You cannot send to 000-000-0000\r\n"));

            // No channel at all: the report reaches nobody, which is no success.
            mail.enabled.clear();
            runCycle(texter, mail, panel, *platform, clock, values);
            QCOMPARE(mail.sent.size(), 2);
            QCOMPARE(panel.caption, QStringLiteral("Text Message FAILED. sales report: no delivery "
                                                   "channel is switched on"));
        }
        {
            // Texting switched off: nothing composed, logged or shown; the window closes.
            FakeTexter texter;
            texter.check1 = false;
            FakeNotifier mail;
            RecordingStatusPanel panel;
            runCycle(texter, mail, panel, *platform, clock, values);
            QVERIFY(mail.sent.isEmpty());
            QCOMPARE(panel.caption, QString());
            QVERIFY(texter.closed && panel.mainShown);
        }
    }

    void watchdogMarksAMissingTotal() {
        FakeTexter texter;
        texter.sales.clear(); // the total never arrives
        texter.check3 = texter.check5 = false;
        FakeNotifier mail;
        RecordingStatusPanel panel;
        ManualClock clock;
        ProgramValues values;
        ReportCycle cycle(texter, mail, panel, *platform, clock, values);
        cycle.setTiming({std::chrono::milliseconds(300), std::chrono::milliseconds(150)});
        QElapsedTimer timer;
        timer.start();
        runCycle(cycle);
        QVERIFY(timer.elapsed() >= 280);
        QVERIFY(mail.sent.first().body.contains(" is FAILED on "));
    }
};

QTEST_GUILESS_MAIN(TestReportLogic)
#include "tst_report_logic.moc"
