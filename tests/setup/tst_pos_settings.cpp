// The point-of-sale settings record.
#include "PosSettingsRecord.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tillora;

namespace {

QByteArray padded(const QByteArray& text, int width) {
    return text + QByteArray(width - text.size(), ' ');
}

} // namespace

class TestPosSettings : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layoutMatchesTheFile_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        QTest::newRow("company") << 0 << 0 << 40;
        QTest::newRow("web site") << 4 << 140 << 50;
        QTest::newRow("data directory") << 5 << 190 << 40;
        QTest::newRow("first flag") << 9 << 460 << 1;
        QTest::newRow("password") << 26 << 565 << 20;
        QTest::newRow("kitchen printer") << 28 << 586 << 20;
        QTest::newRow("beverage printer") << 34 << 905 << 20;
        QTest::newRow("shiftra") << 39 << 942 << 40;
        QTest::newRow("server") << 48 << 1018 << 40;
        QTest::newRow("loyvana") << 51 << 1118 << 40;
        QTest::newRow("second kitchen printer") << 72 << 1268 << 20;
        QTest::newRow("field 165") << 165 << 1875 << 50;
        QTest::newRow("field 192") << 192 << 2056 << 6;
        QTest::newRow("last") << 203 << 2088 << 212;
    }
    void layoutMatchesTheFile() {
        QFETCH(int, field);
        QFETCH(int, offset);
        QFETCH(int, width);
        QCOMPARE(PosSettingsRecord::spec(field).offset, offset);
        QCOMPARE(PosSettingsRecord::spec(field).width, width);
    }

    void readsAFileInThePosWriteFormat() {
        QByteArray bytes(2300, ' ');
        bytes.replace(0, 40, padded("Joe's Diner, Main St", 40));
        bytes.replace(190, 40, padded("C:\\POSDATA\\", 40));
        bytes.replace(942, 40, padded("  D:\\Shiftra\\", 40));
        bytes.replace(1018, 40, padded("\\\\SERVER\\Tillora\\", 40));
        QTemporaryDir dir;
        QFile file(dir.filePath("TlraIni.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();

        const auto record = PosSettingsRecord::read(file.fileName());
        QVERIFY(record);
        QCOMPARE(record->raw(PosSettingsRecord::CompanyName),
                 QString::fromLatin1(padded("Joe's Diner, Main St", 40)));
        QCOMPARE(record->trimmed(PosSettingsRecord::CompanyName),
                 QStringLiteral("Joe's Diner, Main St"));
        QCOMPARE(record->trimmed(PosSettingsRecord::DataDirectory),
                 QStringLiteral("C:\\POSDATA\\"));
        QCOMPARE(record->trimmed(PosSettingsRecord::ShiftraDirectory),
                 QStringLiteral("D:\\Shiftra\\"));
        QCOMPARE(record->trimmed(PosSettingsRecord::ServerDirectory),
                 QStringLiteral("\\\\SERVER\\Tillora\\"));
        QCOMPARE(record->bytes(), bytes);
    }

    void shortFileReadsBlanks() {
        QTemporaryDir dir;
        QFile file(dir.filePath("TlraIni.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(padded("Short Store", 40) + "C:\\Tillo"); // ends inside field 5
        file.close();
        const auto record = PosSettingsRecord::read(file.fileName());
        QVERIFY(record);
        QCOMPARE(record->trimmed(PosSettingsRecord::CompanyName), QStringLiteral("Short Store"));
        QCOMPARE(record->raw(PosSettingsRecord::DataDirectory).size(), 40);
        QCOMPARE(record->trimmed(PosSettingsRecord::ShiftraDirectory), QString());
        QCOMPARE(record->bytes().size(), 2300);
        QVERIFY(!PosSettingsRecord::read(dir.filePath("missing.dat")));
    }
};

QTEST_GUILESS_MAIN(TestPosSettings)
#include "tst_pos_settings.moc"
