// The Startup folder's shortcut that "Start with the desktop session" switches on Windows.
#include "StartupShortcut.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace tillora;

class TestStartupShortcut : public QObject {
    Q_OBJECT

    static AutostartProgram program() {
        return {QStringLiteral("tillora-backup"),
                QStringLiteral("Tillora Auto Backup"),
                QStringLiteral("Backs up the store's data"),
                QCoreApplication::applicationFilePath(),
                {}};
    }

private Q_SLOTS:
    void writesAndRemovesTheProgramsShortcut() {
        QTemporaryDir folder;
        StartupShortcut shortcut(program(), QDir::toNativeSeparators(folder.path()));
        QVERIFY(!shortcut.isOn());
        const AutostartChange on = shortcut.setOn(true);
        QVERIFY2(on.ok, qPrintable(on.reason));
        QVERIFY(shortcut.isOn());
        // The installer's name for the same shortcut, leading to the program.
        QCOMPARE(QFileInfo(shortcut.path()).fileName(), QStringLiteral("Tillora Auto Backup.lnk"));
        QCOMPARE(QFileInfo(shortcut.path()).symLinkTarget(),
                 QCoreApplication::applicationFilePath());
        QVERIFY(shortcut.setOn(false).ok);
        QVERIFY(!shortcut.isOn());
        QVERIFY(shortcut.setOn(false).ok); // already off is no failure
    }

    void aShortcutThatCannotBeWrittenSaysWhy() {
        QTemporaryDir folder;
        StartupShortcut shortcut(program(), QDir::toNativeSeparators(folder.filePath("missing")));
        const AutostartChange on = shortcut.setOn(true);
        QVERIFY(!on.ok);
        QVERIFY2(on.reason.contains(QStringLiteral("cannot be written")), qPrintable(on.reason));
        QVERIFY(!shortcut.isOn());
    }
};

QTEST_GUILESS_MAIN(TestStartupShortcut)
#include "tst_startup_shortcut.moc"
