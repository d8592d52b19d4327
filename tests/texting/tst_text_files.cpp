// The texter's files: MobileText.dat, the carrier table, the mail server setting, and
// the mobile number rules.
#include "CarrierFile.h"
#include "FakePlatform.h"
#include "MailServerFile.h"
#include "MobileNumber.h"
#include "ProgramValues.h"
#include "TempDrives.h"
#include "TextSettingsFile.h"

#include <QFileInfo>
#include <QtTest>

using namespace tillora;
using tillora::test::FakePlatform;
using tillora::test::TempDrives;

namespace {

TextSettings sampleSettings() {
    TextSettings s;
    s.mobileNumber = QStringLiteral("555-123-4567");
    s.carrierName = QStringLiteral("AT&T");
    s.firstReportTime = QStringLiteral("9:00 am");
    s.lastReportTime = QStringLiteral("5:00 pm");
    s.salesReport = true;
    s.clockedInReport = true;
    s.gatewayTemplate = QStringLiteral("number@txt.att.net");
    s.senderAccount = QStringLiteral("owner@store.test");
    s.senderPassword = QStringLiteral("pa\"ss,word");
    return s;
}

const QByteArray sampleBytes = "\"1\"\r\n\"555-123-4567\"\r\n\"AT&T\"\r\n\"9:00 am\"\r\n"
                               "\"5:00 pm\"\r\n\"1\"\r\n\"0\"\r\n\"0\"\r\n\"1\"\r\n"
                               "\"12/07/2026 at 03:05 PM\"\r\n\"number@txt.att.net\"\r\n"
                               "\"owner@store.test\"\r\n\"pa\"ss,word\"\r\n\"FUTURE\"\r\n"
                               "\"Data file for Text Messege\"\r\n";
// The same file as this program writes it: the password in the secret store.
const QByteArray sampleBytesWithoutPassword =
    QByteArray(sampleBytes).replace("\"pa\"ss,word\"", "\"\"");

} // namespace

class TestTextFiles : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void settingsRoundTripExactBytes() {
        TempDrives drives;
        drives.addDrive('c');
        drives.writeFile('c', "Tillora/ini/keep", "");
        FakePlatform platform(drives.driveFolder());
        ProgramValues values;
        const QDateTime savedAt(QDate(2026, 12, 7), QTime(15, 5));

        QVERIFY(!textSettingsFileExists(platform, values));
        QVERIFY(saveTextSettings(platform, values, sampleSettings(), savedAt));
        QVERIFY(textSettingsFileExists(platform, values));
        QCOMPARE(drives.readFile('c', "Tillora/ini/MobileText.dat"), sampleBytesWithoutPassword);
        // Its owner alone may read it.
        const auto permissions =
            QFileInfo(platform.nativePath(textSettingsPath(values))).permissions();
        QVERIFY(permissions.testFlag(QFileDevice::ReadOwner));
        if (tillora::test::PermissionBitsAreKept) {
            QVERIFY(!permissions.testFlag(QFileDevice::ReadGroup));
            QVERIFY(!permissions.testFlag(QFileDevice::ReadOther));
        }

        const auto loaded = loadTextSettings(platform, values);
        QVERIFY(loaded);
        QCOMPARE(loaded->featureOn, true);
        QCOMPARE(loaded->mobileNumber, QStringLiteral("555-123-4567"));
        QCOMPARE(loaded->carrierName, QStringLiteral("AT&T"));
        QCOMPARE(loaded->firstReportTime, QStringLiteral("9:00 am"));
        QCOMPARE(loaded->lastReportTime, QStringLiteral("5:00 pm"));
        QCOMPARE(loaded->salesReport, true);
        QCOMPARE(loaded->discountReport, false);
        QCOMPARE(loaded->hoursDiscounts, false);
        QCOMPARE(loaded->clockedInReport, true);
        QCOMPARE(loaded->gatewayTemplate, QStringLiteral("number@txt.att.net"));
        QCOMPARE(loaded->senderAccount, QStringLiteral("owner@store.test"));
        QCOMPARE(loaded->senderPassword, QStringLiteral("pa\"ss,word"));

        QVERIFY(removeTextSettings(platform, values));
        QVERIFY(!textSettingsFileExists(platform, values));
        QVERIFY(removeTextSettings(platform, values)); // nothing left to remove
        QCOMPARE(settingsButtonColour(false), 255u);
        QCOMPARE(settingsButtonColour(true), 49152u);
    }

    // A file of an earlier version gives its password to the secret store, once, and
    // keeps every other byte.
    void aStoredPasswordMovesToTheSecretStore() {
        TempDrives drives;
        drives.addDrive('c');
        drives.writeFile('c', "Tillora/ini/MobileText.dat", sampleBytes);
        FakePlatform platform(drives.driveFolder());
        ProgramValues values;
        const auto moved = moveMailPasswordToSecrets(platform, values);
        QVERIFY(moved && *moved);
        QCOMPARE(drives.readFile('c', "Tillora/ini/MobileText.dat"), sampleBytesWithoutPassword);
        QCOMPARE(storedSenderAccount(platform, values).password, QStringLiteral("pa\"ss,word"));
        QVERIFY(!moveMailPasswordToSecrets(platform, values));
    }

    void accountLinesAreOptional() {
        QByteArray future = sampleBytes;
        future.replace("\"owner@store.test\"\r\n\"pa\"ss,word\"", "\"FUTURE\"\r\n\"secret\"");
        LoadedTextSettings loaded = parseTextSettings(future);
        QVERIFY(!loaded.senderAccount);
        QVERIFY(!loaded.senderPassword);
        QCOMPARE(loaded.gatewayTemplate, QStringLiteral("number@txt.att.net"));

        QByteArray blankAccount = sampleBytes;
        blankAccount.replace("\"owner@store.test\"", "\"  \"");
        loaded = parseTextSettings(blankAccount);
        QVERIFY(!loaded.senderAccount);
        QCOMPARE(loaded.senderPassword, QStringLiteral("pa\"ss,word"));
    }

    void shortOrDamagedFileLeavesTheRestAbsent() {
        LoadedTextSettings loaded = parseTextSettings("\"1\"\r\n\"555-123-4567\"\r\n\"Verizon\"");
        QCOMPARE(loaded.featureOn, true);
        QCOMPARE(loaded.carrierName, QStringLiteral("Verizon"));
        QVERIFY(!loaded.firstReportTime);
        QVERIFY(!loaded.salesReport);
        QVERIFY(!loaded.gatewayTemplate);
        QVERIFY(!loaded.senderAccount);

        loaded = parseTextSettings("");
        QVERIFY(!loaded.featureOn);
        // Bare values and lone LF line ends still read.
        loaded = parseTextSettings("0\n\"1-2\"\n");
        QCOMPARE(loaded.featureOn, false);
        QCOMPARE(loaded.mobileNumber, QStringLiteral("1-2"));
    }

    void carrierFileIsCreatedOnceWithTheNineCarriers() {
        TempDrives drives;
        drives.addDrive('c');
        FakePlatform platform(drives.driveFolder());
        ProgramValues values;
        QVERIFY(ensureCarrierFile(platform, values)); // creates the data folder too
        const QByteArray bytes = drives.readFile('c', "Tillora/data/sms.dat");
        QVERIFY(bytes.startsWith("\"AllTel\",\"number@text.wireless.alltel.com\"\r\n"
                                 "\"AT&T\",\"number@txt.att.net\"\r\n"));
        QVERIFY(bytes.endsWith("\"Virgin Mobile\",\"number@vmobl.com\"\r\n"));
        const QList<Carrier> carriers = loadCarriers(platform, values);
        QCOMPARE(carriers, defaultCarriers());
        QCOMPARE(carriers.size(), 9);
        QCOMPARE(carriers.at(7), (Carrier{"Verizon", "number@vtext.com"}));

        drives.writeFile('c', "Tillora/data/sms.dat", "\"Mine\",\"number@mine.test\"\r\n");
        QVERIFY(ensureCarrierFile(platform, values));
        QCOMPARE(drives.readFile('c', "Tillora/data/sms.dat"),
                 QByteArray("\"Mine\",\"number@mine.test\"\r\n"));
    }

    void damagedCarrierEntriesAreSkipped() {
        const QList<Carrier> carriers = parseCarriers("\"A\",\"number@a.test\"\r\n"
                                                      "\"lonely\"\r\n"
                                                      "\r\n"
                                                      ",\"number@nameless.test\"\r\n"
                                                      "\"B, Inc\",\"number@b.test\"\n");
        QCOMPARE(carriers, (QList<Carrier>{{"A", "number@a.test"}, {"B, Inc", "number@b.test"}}));
    }

    void mobileNumberChecks_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("check");
        QTest::newRow("3-3-4") << "555-123-4567" << int(NumberCheck::Ok);
        QTest::newRow("odd dashes") << "5-551234-56-7" << int(NumberCheck::Ok);
        QTest::newRow("placeholder") << "000-000-0000" << int(NumberCheck::Placeholder);
        QTest::newRow("leading zero") << "055-123-4567" << int(NumberCheck::Refused);
        QTest::newRow("seven digits") << "123-4567" << int(NumberCheck::Refused);
        QTest::newRow("eleven digits") << "1-555-123-4567" << int(NumberCheck::Refused);
        QTest::newRow("letters") << "555-CALL-NOW" << int(NumberCheck::Refused);
        QTest::newRow("empty") << "" << int(NumberCheck::Refused);
    }
    void mobileNumberChecks() {
        QFETCH(QString, typed);
        QFETCH(int, check);
        QCOMPARE(int(checkMobileNumber(typed)), check);
    }

    void mobileAddressJoinsDigitsAndDomain() {
        QCOMPARE(mobileAddress("555-123-4567", "number@vtext.com"),
                 QStringLiteral("5551234567@vtext.com"));
    }

    void mailServerSetting() {
        TempDrives drives;
        drives.addDrive('c');
        FakePlatform platform(drives.driveFolder());
        ProgramValues values;
        MailServerSetting setting = loadMailServer(platform, values);
        QVERIFY(!setting.fromFile);
        QCOMPARE(setting.server.host, QStringLiteral("smtp.gmail.com"));
        QCOMPARE(setting.server.port, 465);
        QVERIFY(setting.server.caFile.isEmpty());

        drives.writeFile('c', "Tillora/ini/MailServer.dat",
                         "\"mail.store.test\",2465,\"c:\\Tillora\\ini\\ca.pem\"\r\n");
        setting = loadMailServer(platform, values);
        QVERIFY(setting.fromFile);
        QCOMPARE(setting.server.host, QStringLiteral("mail.store.test"));
        QCOMPARE(setting.server.port, 2465);
        QCOMPARE(setting.server.caFile, platform.nativePath("c:\\Tillora\\ini\\ca.pem"));

        QCOMPARE(parseMailServer("\"mail.store.test\"")->port, 465);
        QVERIFY(!parseMailServer("\"mail.store.test\",465")->startTls);
        QVERIFY(parseMailServer("\"mail.store.test\",587")->startTls);
        QCOMPARE(parseMailServer("\"mail.store.test\",notaport")->port, 465);
        QVERIFY(!parseMailServer(""));
        QVERIFY(!parseMailServer("\"\",465"));
    }
};

QTEST_GUILESS_MAIN(TestTextFiles)
#include "tst_text_files.moc"
