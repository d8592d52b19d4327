// The drive information figures and the pop-up window.
#include "DriveInfo.h"
#include "DriveSpaceFigures.h"
#include "FakePlatform.h"
#include "TempDrives.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

class TestDriveInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void figuresUseTheLargestUnitAndCutToTwoDecimals_data() {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("unit");
        QTest::newRow("zero") << quint64(0) << "0"
                              << "Bytes";
        QTest::newRow("1023 bytes") << quint64(1023) << "1023"
                                    << "Bytes";
        QTest::newRow("one kilobyte") << quint64(1024) << "1"
                                      << "Kilobytes";
        QTest::newRow("one and a half") << quint64(1536) << "1.5"
                                        << "Kilobytes";
        QTest::newRow("a byte short of a megabyte") << quint64(1048575) << "1023.99"
                                                    << "Kilobytes";
        QTest::newRow("one megabyte") << quint64(1048576) << "1"
                                      << "Megabytes";
        QTest::newRow("2 TB stays in gigabytes") << quint64(2000000000000ULL) << "1862.64"
                                                 << "Gigabytes";
        QTest::newRow("500 GB") << quint64(500107862016ULL) << "465.76"
                                << "Gigabytes";
        // One byte short of a gigabyte is 1023.999999 MB, stored rounded to four decimals
        // before the cut: 1024 Megabytes.
        QTest::newRow("rounded before the cut") << quint64(1073741823ULL) << "1024"
                                                << "Megabytes";
        QTest::newRow("many terabytes") << quint64(1ULL << 50) << "1048576"
                                        << "Gigabytes";
    }
    void figuresUseTheLargestUnitAndCutToTwoDecimals() {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        QFETCH(QString, unit);
        const DriveFigure figure = DriveFigure::of(bytes);
        QCOMPARE(figure.text(), text);
        QCOMPARE(figure.unit, unit);
    }

    void linesForAQueryAndForADriveThatCannotBeQueried() {
        const auto lines = DriveSpaceLines::of(DiskSpace{1, 2000000000000ULL, 1536});
        QCOMPARE(lines.capacity, QStringLiteral("Drive Capacity: 1862.64 Gigabytes"));
        QCOMPARE(lines.free, QStringLiteral("Free Space: 1.5 Kilobytes"));
        const auto none = DriveSpaceLines::of(std::nullopt);
        QCOMPARE(none.capacity, QStringLiteral("Drive Capacity: 0 Bytes"));
        QCOMPARE(none.free, QStringLiteral("Free Space: 0 Bytes"));
    }

    void popUpShowsTheDriveForItsPauseThenHides() {
        TempDrives drives;
        drives.addDrive('c');
        FakePlatform platform(drives.driveFolder());
        platform.space.insert(QStringLiteral("e:"), DiskSpace{0, 1048575, 1023});
        DriveInfoPopup popup(platform);
        popup.pauseDuration = std::chrono::milliseconds(300);

        bool shownDuringPause = false;
        QTimer::singleShot(100, [&] { shownDuringPause = popup.window()->isVisible(); });
        QElapsedTimer elapsed;
        elapsed.start();
        popup.popUp(QStringLiteral("e: [BACKUP]"));
        DriveInfo* window = popup.window();
        QVERIFY(window);
        QTRY_VERIFY(!window->isVisible());
        QVERIFY(elapsed.elapsed() >= 290);
        QVERIFY(shownDuringPause);
        QCOMPARE(window->windowTitle(), QStringLiteral("Drive Info"));
        QCOMPARE(window->Text1->text(), QStringLiteral("e:"));
        QCOMPARE(window->Text4->text(), QStringLiteral("e: [BACKUP]"));
        QCOMPARE(window->Text2->text(), QStringLiteral("Drive Capacity: 1023.99 Kilobytes"));
        QCOMPARE(window->Text3->text(), QStringLiteral("Free Space: 1023 Bytes"));

        // "Get Info" queries again; a drive that cannot be queried shows zeros.
        window->Text1->setText(QStringLiteral("x:"));
        window->Command1->click();
        QCOMPARE(window->Text2->text(), QStringLiteral("Drive Capacity: 0 Bytes"));

        // "Done" closes the window; the next pop-up makes a new one.
        popup.pauseDuration = std::chrono::milliseconds(0);
        QPointer<DriveInfo> closed = window;
        window->show();
        window->Command2->click();
        QTRY_VERIFY(!closed);
        popup.popUp(QStringLiteral("e: [BACKUP]"));
        QVERIFY(popup.window());
    }

    void doneDuringThePauseDoesNotCrash() {
        TempDrives drives;
        FakePlatform platform(drives.driveFolder());
        DriveInfoPopup popup(platform);
        popup.pauseDuration = std::chrono::milliseconds(200);
        QTimer::singleShot(50, [&] { popup.window()->Command2->click(); });
        popup.popUp(QStringLiteral("e:"));
        QTRY_VERIFY(!popup.window());
    }
};

QTEST_MAIN(TestDriveInfo)
#include "tst_drive_info.moc"
