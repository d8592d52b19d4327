// The program's place in the desktop session: its autostart entry and the drive folder
// it remembers for a start from the menu.
#include "DriveFolderMemory.h"
#include "SessionAutostart.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace tillora;

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestDesktopSession : public QObject {
    Q_OBJECT

    QTemporaryDir home_;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(home_.isValid());
        qputenv("HOME", home_.path().toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
    }

    void entryStartsTheProgramWithItsPrefixAndGoesAway() {
        const QString prefix = home_.filePath(QStringLiteral("my store $1 100%\\x\"q"));
        SessionAutostart autostart({QStringLiteral("tillora-kp2"),
                                    QStringLiteral("Tillora Kitchen Printer 2"),
                                    QStringLiteral("Switches the printer"),
                                    QStringLiteral("/usr/bin/tillora-kp2"), prefix});
        QCOMPARE(autostart.entryPath(), home_.filePath(".config/autostart/tillora-kp2.desktop"));
        QVERIFY(!autostart.isOn());

        QVERIFY(autostart.setOn(true).ok);
        QVERIFY(autostart.isOn());
        const QByteArray text = readAll(autostart.entryPath());
        // Quoted for the Exec key (\" \$ \\ inside quotes, %% for a percent sign), then
        // every backslash doubled once more for the file's own escapes.
        const QByteArray quotedPrefix =
            home_.path().toUtf8() + "/my store \\\\$1 100%%\\\\\\\\x\\\\\"q";
        QVERIFY2(
            text.contains("\nExec=env \"WINEPREFIX=" + quotedPrefix + "\" /usr/bin/tillora-kp2\n"),
            text.constData());
        QVERIFY(text.contains("\nIcon=tillora-kp2\n"));

        const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
        if (!validator.isEmpty()) {
            QProcess check;
            check.start(validator, {autostart.entryPath()});
            QVERIFY(check.waitForFinished());
            QVERIFY2(check.exitCode() == 0, check.readAll().constData());
        }

        QVERIFY(autostart.setOn(false).ok);
        QVERIFY(!QFile::exists(autostart.entryPath()));
        QVERIFY(autostart.setOn(false).ok); // already off

        // A line break would start a new key: refused, nothing written.
        SessionAutostart broken({QStringLiteral("tillora-kp2"),
                                 {},
                                 {},
                                 QStringLiteral("/usr/bin/tillora-kp2"),
                                 QStringLiteral("/store\n[Desktop Entry]")});
        QVERIFY(!broken.setOn(true).ok);
        QVERIFY(!QFile::exists(broken.entryPath()));
    }

    void anEntryTheDesktopSwitchedOffCountsAsOff() {
        SessionAutostart autostart({QStringLiteral("tillora-backup"),
                                    QStringLiteral("Backup"),
                                    {},
                                    QStringLiteral("/usr/bin/tillora-backup"),
                                    {}});
        QVERIFY(autostart.setOn(true).ok);
        QVERIFY(readAll(autostart.entryPath()).contains("\nExec=/usr/bin/tillora-backup\n"));
        QFile entry(autostart.entryPath());
        QVERIFY(entry.open(QIODevice::Append));
        entry.write("Hidden = true\n");
        entry.close();
        QVERIFY(!autostart.isOn());
        QVERIFY(autostart.setOn(true).ok);
        QVERIFY(autostart.isOn());
    }

    void theDriveFolderIsRememberedForAStartWithoutPrefix() {
        const DriveFolderMemory memory(home_.filePath(QStringLiteral(".config/tillora-kp2")));
        const QString wineDefault = home_.filePath(QStringLiteral(".wine/dosdevices"));
        QCOMPARE(memory.choose({}), wineDefault);

        const QString store = home_.filePath(QStringLiteral("store"));
        const QString storeDrives = store + QStringLiteral("/dosdevices");
        QCOMPARE(memory.choose(store), storeDrives);
        QVERIFY(!memory.remember(storeDrives)); // not there yet: nothing to find later
        QCOMPARE(memory.recalled(), QString());

        QVERIFY(QDir().mkpath(storeDrives));
        QVERIFY(memory.remember(storeDrives));
        QCOMPARE(memory.choose({}), storeDrives);
        QCOMPARE(winePrefixOf(storeDrives), store);
        QCOMPARE(memory.choose(QStringLiteral("/other")), QStringLiteral("/other/dosdevices"));

        QVERIFY(QDir(store).removeRecursively());
        QCOMPARE(memory.choose({}), wineDefault);
    }
};

QTEST_GUILESS_MAIN(TestDesktopSession)
#include "tst_desktop_session.moc"
