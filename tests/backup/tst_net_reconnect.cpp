#include "BackupStore.h"
#include "Colors.h"
#include "NetReconnect.h"
#include "TLRAconnect.h"

#include <QLabel>
#include <QPointer>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

class RecordingWindow final : public ConnectionWindow {
public:
    explicit RecordingWindow(QStringList& log)
        : log_(log) {}
    void showConnection(const QString& line) override { log_.append("line " + line); }
    void markReachable() override { log_.append("green"); }
    void unload() override { log_.append("unload"); }

private:
    QStringList& log_;
};

} // namespace

class TestNetReconnect : public QObject {
    Q_OBJECT
private slots:
    void remapsAndReportsWhatTheDriveShows_data() {
        QTest::addColumn<QString>("spec");
        QTest::addColumn<bool>("driveThere");
        QTest::addColumn<bool>("holdsFiles");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QStringList>("window");
        const QString share = "z: [\\\\server\\share]";
        QTest::newRow("share reachable")
            << share << true << true << true
            << QStringList{"line z: \\\\server\\share", "green", "unload"};
        QTest::newRow("share gone")
            << share << false << false << false << QStringList{"line z: \\\\server\\share"};
        QTest::newRow("empty share")
            << share << true << false << true << QStringList{"line z: \\\\server\\share", "unload"};
        QTest::newRow("local drive") << "z: [BACKUP]" << true << true << true
                                     << QStringList{"line z: BACKUP", "green", "unload"};
    }
    void remapsAndReportsWhatTheDriveShows() {
        QFETCH(QString, spec);
        QFETCH(bool, driveThere);
        QFETCH(bool, holdsFiles);
        QFETCH(bool, connected);
        QFETCH(QStringList, window);
        BackupStore store;
        store.window.destination = spec;
        // The mount appears once the command has run.
        store.platform.onStart = [&](const Command&) {
            if (driveThere)
                store.drives.addDrive('z');
            if (holdsFiles)
                store.drives.writeFile('z', "x.dat", "x");
        };
        QStringList log;
        NetReconnect reconnect(store.window, store.platform,
                               [&] { return std::make_unique<RecordingWindow>(log); });
        const NetConnectResult result = reconnect.run();

        QCOMPARE(result.connected, connected);
        QCOMPARE(result.reason.isEmpty(), connected);
        QCOMPARE(log, window);
        QCOMPARE(store.platform.started.size(), 1);
        if (spec.contains("server")) {
            // The system's re-mapping command for this letter and share (its arguments are
            // tested with each platform), started as a program, never through a shell.
            QCOMPARE(store.platform.started.first(),
                     store.platform.remapCommand("z:", "\\\\server\\share"));
        }
    }

    void aFailedRemappingStopsTheBackup() {
        BackupStore store;
        store.drives.writeFile('c', "Tillora/a.dat", "a");
        store.window.destination = "z: [\\\\server\\share]";
        store.window.enabled[5] = true;
        NetReconnect reconnect(store.window, store.platform, {});
        store.reconnect = [&] { return reconnect.run(); };
        QCOMPARE(store.engine.RunBackup().outcome, BackupEngine::Outcome::NetworkFailed);

        store.platform.onStart = [&](const Command&) { store.drives.addDrive('z'); };
        QCOMPARE(store.engine.RunBackup().outcome, BackupEngine::Outcome::Completed);
        QCOMPARE(store.drives.readFile('z', "TLRAbackup/Tillora/a.dat"), "a");
    }

    void theWindowCountsDownAndClosesItself() {
        auto handle = openTLRAconnect();
        auto* window = qobject_cast<TLRAconnect*>(QApplication::topLevelWidgets().value(0));
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Connection Data"));
        QCOMPARE(window->Label4->text(), QStringLiteral("5"));
        QCOMPARE(window->Timer1.interval(), 1500);
        handle->showConnection("z: \\\\server\\share");
        handle->markReachable();
        QCOMPARE(window->Label2->text(), QStringLiteral("z: \\\\server\\share"));
        QCOMPARE(window->Label2->palette().color(QPalette::Window), toQColor(colour::BrightGreen));

        QPointer<TLRAconnect> watched(window);
        window->setCountdownStep(10);
        QTRY_VERIFY_WITH_TIMEOUT(watched.isNull(), 2000);
        // The routine may still hold its handle after the window went away.
        handle->markReachable();
        handle->unload();
    }
};

QTEST_MAIN(TestNetReconnect)
#include "tst_net_reconnect.moc"
