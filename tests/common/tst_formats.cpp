// The shared file formats: quoted comma-separated values, fixed records, code page.
#include "CodePage.h"
#include "FixedRecord.h"
#include "HostPlatform.h"
#include "IniFile.h"
#include "IniKeys.h"
#include "QuotedCsv.h"
#include "SecretStore.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tillora;

class TestFormats : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writerProducesExactBytes() {
        QuotedLineWriter writer;
        writer.text(QStringLiteral("Time Start    ")).text(QStringLiteral("3:00 am")).endLine();
        writer.text(QStringLiteral("Tillora")).number(-1LL).endLine();
        writer.text(QStringLiteral("say \"hi\"")).number(0LL).endLine();
        writer.textLine({QStringLiteral(""), QStringLiteral("")});
        QCOMPARE(writer.bytes(), QByteArray("\"Time Start    \",\"3:00 am\"\r\n"
                                            "\"Tillora\",-1\r\n"
                                            "\"say \"hi\"\",0\r\n"
                                            "\"\",\"\"\r\n"));
    }

    void readerSplitsValues_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("quoted and bare")
            << QByteArray("\"Tillora\",-1\r\n") << QStringList{"Tillora", "-1"};
        QTest::newRow("quoted flag")
            << QByteArray("\"Loyvana\",\"0\"\r\n") << QStringList{"Loyvana", "0"};
        QTest::newRow("comma inside quotes stays")
            << QByteArray("\"Smith, Jones\",0\r\n") << QStringList{"Smith, Jones", "0"};
        QTest::newRow("line ends separate like commas")
            << QByteArray("\"a\",\"b\"\r\n\"c\",\"d\"\r\n") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("bare LF and missing final line end")
            << QByteArray("1,2\n3") << QStringList{"1", "2", "3"};
        QTest::newRow("blanks around bare values are dropped")
            << QByteArray("  12.5 , \"x y\" \r\n") << QStringList{"12.5", "x y"};
        QTest::newRow("empty quoted values") << QByteArray("\"\",\"\"\r\n") << QStringList{"", ""};
        QTest::newRow("blank lines at the end are no value")
            << QByteArray("1,2\r\n\r\n  \r\n") << QStringList{"1", "2"};
        QTest::newRow("an empty line inside is a value")
            << QByteArray("1\r\n\r\n2\r\n") << QStringList{"1", "", "2"};
        QTest::newRow("unterminated quote reads to the end")
            << QByteArray("\"open,ended") << QStringList{"open,ended"};
        QTest::newRow("code page text")
            << QByteArray("\"Caf\xe9 \x80\"\r\n") << QStringList{QStringLiteral("Café €")};
    }
    void readerSplitsValues() {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, values);
        QuotedValueReader reader(input);
        QStringList read;
        while (auto value = reader.next())
            read.append(*value);
        QCOMPARE(read, values);
    }

    void readerGroupsRecords() {
        QuotedValueReader reader("1,\"a\",2\r\n3,\"b\"\r\n");
        QCOMPARE(reader.nextRecord(3), std::optional<QStringList>({"1", "a", "2"}));
        QVERIFY(!reader.nextRecord(3)); // only two values left: a short record
    }

    void roundTripKeepsTexts() {
        const QStringList texts{"Backup to is a Network Drive", "c: [\\\\srv\\share]",
                                "Folder, with comma", " leading blank", ""};
        QuotedLineWriter writer;
        for (const QString& t : texts)
            writer.text(t).endLine();
        QuotedValueReader reader(writer.bytes());
        for (const QString& t : texts)
            QCOMPARE(reader.next().value(), t);
        QVERIFY(reader.atEnd());
    }

    void leadingNumberReadsLikeTheFiles_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("negative") << "-1" << -1.0;
        QTest::newRow("blank first") << " 7" << 7.0;
        QTest::newRow("zeros first") << "007" << 7.0;
        QTest::newRow("trailing junk") << "12.5abc" << 12.5;
        QTest::newRow("point first") << ".5" << 0.5;
        QTest::newRow("point last") << "12." << 12.0;
        QTest::newRow("point alone") << "." << 0.0;
        QTest::newRow("not a number") << "Never" << 0.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("exponent") << "1.5e2" << 150.0;
    }
    void leadingNumberReadsLikeTheFiles() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(leadingNumber(text), value);
    }

    void codePageRoundTrip() {
        const QByteArray all = [] {
            QByteArray b;
            for (int i = 0x20; i < 0x100; ++i)
                b.append(char(i));
            return b;
        }();
        QCOMPARE(toCodePage(fromCodePage(all)), all);
        QCOMPARE(fromCodePage("\x93quoted\x94"), QStringLiteral("\u201Cquoted\u201D"));
        QCOMPARE(toCodePage(QStringLiteral("日本")), QByteArray("??"));
    }

    void fixedRecordFields() {
        FixedRecord record(20);
        record.set({0, 5}, QStringLiteral("ab"));
        record.set({5, 3}, QStringLiteral("toolong"));
        QCOMPARE(record.bytes(), QByteArray("ab   too            "));
        QCOMPARE(record.raw({0, 5}), QStringLiteral("ab   "));
        QCOMPARE(record.trimmed({0, 5}), QStringLiteral("ab"));
        QCOMPARE(FixedRecord(6, "abc").bytes(), QByteArray("abc   ")); // short: blanks
    }

    void fixedRecordFileCountsAndWrites() {
        QTemporaryDir dir;
        QFile file(dir.filePath("records.dat"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        file.write(QByteArray(10, 'A') + QByteArray(10, 'B') + QByteArray(4, 'C'));
        FixedRecordFile records(file, 10);
        QCOMPARE(records.recordCount(), 2); // the partial third record is not counted
        QCOMPARE(records.read(2)->bytes(), QByteArray(10, 'B'));
        QCOMPARE(records.read(3)->bytes(), QByteArray("CCCC      "));
        QVERIFY(!records.read(0));

        FixedRecord replacement(10);
        replacement.set({0, 10}, QStringLiteral("new"));
        QVERIFY(records.write(1, replacement));
        QVERIFY(records.write(5, replacement)); // past the end: the gap becomes blanks
        file.seek(0);
        const QByteArray all = file.readAll();
        QCOMPARE(all.size(), 50);
        QCOMPARE(all.left(20), QByteArray("new       ") + QByteArray(10, 'B'));
        QCOMPARE(all.mid(20, 20), QByteArray("CCCC") + QByteArray(16, ' '));
        QCOMPARE(records.recordCount(), 5);
        QVERIFY(!records.write(1, FixedRecord(9))); // wrong length refused
    }

    // Secrets stay readable by their owner only, from the first write on, and an empty
    // value removes a key instead of storing a blank.
    void secretsAreOwnerOnlyAndRoundTrip() {
        QTemporaryDir home;
        SecretStore secrets(home.filePath(QStringLiteral("config/tillora")));
        QVERIFY(secrets.setValue(QStringLiteral("Push/Token"), QStringLiteral("tk_a\\b=c")));
        QVERIFY(secrets.setValue(QStringLiteral("Offsite/Password"), QStringLiteral("pw")));
        if (test::PermissionBitsAreKept)
            QCOMPARE(QFileInfo(secrets.filePath()).permissions() & 0x0077,
                     QFileDevice::Permissions());
        QCOMPARE(secrets.value(QStringLiteral("Push/Token")), QStringLiteral("tk_a\\b=c"));
        QVERIFY(secrets.setValue(QStringLiteral("Push/Token"), QString()));
        QVERIFY(secrets.value(QStringLiteral("Push/Token")).isEmpty());
        QCOMPARE(secrets.value(QStringLiteral("Offsite/Password")), QStringLiteral("pw"));
        QVERIFY(!readWholeFile(secrets.filePath())->contains("Token"));
    }

    void iniFileKeepsBackslashesAndUnreadableFilesReadEmpty() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Notify.ini"));
        QVERIFY(writeIniFile(
            path, {{QStringLiteral("Push/CAFile"), QStringLiteral("c:\\Tillora\\ini\\ca.pem")}}));
        QVERIFY(readWholeFile(path)->contains("c:\\\\Tillora"));
        QCOMPARE(readIniFile(path).value(QStringLiteral("Push/CAFile")).toString(),
                 QStringLiteral("c:\\Tillora\\ini\\ca.pem"));
        QVERIFY(readIniFile(dir.filePath(QStringLiteral("missing.ini"))).isEmpty());
    }

    // A switch reads alike as true/false or 1/0; junk or a number out of range reads as
    // the declared default; writing leaves the other keys alone.
    void iniKeysReadEitherSwitchFormAndFallBackOnJunk() {
        struct Options {
            bool on = false;
            bool off = true;
            bool junk = true;
            int days = 14;
        };
        const std::array<IniKey<Options>, 4> keys{{{"A/On", &Options::on},
                                                   {"A/Off", &Options::off},
                                                   {"A/Junk", &Options::junk},
                                                   {"A/Days", &Options::days, 0, 30}}};
        QVariantMap stored{{"A/On", "1"},
                           {"A/Off", " FALSE "},
                           {"A/Junk", "yes"},
                           {"A/Days", "31"},
                           {"B/Other", "kept"}};
        Options read = readIniKeys(stored, keys);
        QVERIFY(read.on && !read.off && read.junk);
        QCOMPARE(read.days, 14);
        stored.insert("A/On", "True");
        stored.insert("A/Off", "0");
        stored.insert("A/Days", "7");
        read = readIniKeys(stored, keys);
        QVERIFY(read.on && !read.off);
        QCOMPARE(read.days, 7);
        writeIniKeys(stored, keys, read);
        QCOMPARE(stored.value("A/Off"), QVariant(false));
        QCOMPARE(stored.value("B/Other"), QVariant("kept"));
    }
};

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"
