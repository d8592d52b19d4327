// Startup shortcut folders, file lists, moving a shortcut, and reading the settings for
// the quick setup window.
#include "FakePlatform.h"
#include "FakePrompts.h"
#include "QuickSetupLoad.h"
#include "SettingsFileBuilder.h"
#include "ShortcutMove.h"
#include "StartupFolders.h"
#include "SystemFaults.h"
#include "TempDrives.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace tillora;
using namespace tillora::test;

namespace {

const QString kStartup = QStringLiteral("C:\\Users\\Public\\Start Menu\\Programs\\Startup");
const QString kProduct = QStringLiteral("C:\\Users\\Public\\Start Menu\\Programs\\Tillora");
const QString kStartupNative = QStringLiteral("Users/Public/Start Menu/Programs/Startup");
const QString kProductNative = QStringLiteral("Users/Public/Start Menu/Programs/Tillora");

// The files of a folder, shortcuts whose program is gone included (Qt on Windows leaves
// them out of a plain file list).
QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
}

// True when this process ignores folder permissions (running as root).
bool permissionsIgnored(const QString& folder) {
    QFile probe(QDir(folder).filePath(QStringLiteral(".probe")));
    const bool wrote = probe.open(QIODevice::WriteOnly);
    if (wrote)
        probe.remove();
    return wrote;
}

} // namespace

class TestSetupTools : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startupFoldersLieBelowTheAllUsersFolder() {
        const StartupFolders folders =
            StartupFolders::below(QStringLiteral(" C:\\Users\\Public  "));
        QCOMPARE(folders.startup, kStartup);
        QCOMPARE(folders.product, kProduct);
    }

    void profileFoldersEndAtTheFirstNul() {
        TempDrives drives;
        FakePlatform platform(drives.driveFolder());
        QString allUsers = QStringLiteral("C:\\Users\\Public");
        allUsers += QChar(u'\0');
        allUsers += QStringLiteral("junk");
        platform.profiles = ProfileFolders{allUsers, QStringLiteral("C:\\Users\\Default"),
                                           QStringLiteral("C:\\Users"), QString(QChar(u'\0'))};
        const ProfileFolders folders = readProfileFolders(platform);
        QCOMPARE(folders.allUsers, QStringLiteral("C:\\Users\\Public"));
        QCOMPARE(folders.defaultUser, QStringLiteral("C:\\Users\\Default"));
        QCOMPARE(folders.currentUser, QString());
    }

    void fileListShowsEveryFileSortedWithoutCase() {
        TempDrives drives;
        drives.addDrive('c');
        drives.writeFile('c', "list/b.LNK", "1");
        drives.writeFile('c', "list/A.lnk", "1");
        drives.writeFile('c', "list/README", "1"); // no extension: "*.*" still lists it
        drives.writeFile('c', "list/sub/inner.lnk", "1");
        const QString folder = drives.root('c') + QStringLiteral("/list");
        QCOMPARE(listFiles(folder, QStringLiteral("*.*")),
                 (QStringList{"A.lnk", "b.LNK", "README"}));
        QCOMPARE(listFiles(folder, QStringLiteral("*.lnk")), (QStringList{"A.lnk", "b.LNK"}));
        QCOMPARE(listFiles(drives.root('c') + QStringLiteral("/missing"), QStringLiteral("*.*")),
                 QStringList());
    }

    void moveReplacesAFileOfTheSameName() {
        TempDrives drives;
        drives.addDrive('c');
        FakePlatform platform(drives.driveFolder());
        drives.writeFile('c', kStartupNative + "/Tillora.lnk", "new shortcut");
        drives.writeFile('c', kProductNative + "/TILLORA.LNK", "old");

        const MoveResult moved =
            moveFileToFolder(platform, kStartup + QStringLiteral("\\Tillora.lnk"), kProduct);
        QVERIFY2(moved, qPrintable(moved.reason));
        QVERIFY(!drives.exists('c', kStartupNative + "/Tillora.lnk"));
        // The name already there is replaced, not doubled under a second spelling.
        QCOMPARE(filesIn(drives.root('c') + u'/' + kProductNative), QStringList{"TILLORA.LNK"});
        QCOMPARE(drives.readFile('c', kProductNative + "/TILLORA.LNK"), QByteArray("new shortcut"));
    }

    void failedMoveLeavesBothFoldersAlone_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::newRow("source gone") << kStartup + QStringLiteral("\\Gone.lnk") << kProduct;
        QTest::newRow("target folder missing")
            << kStartup + QStringLiteral("\\Tillora.lnk")
            << QStringLiteral("C:\\Users\\Public\\Start Menu\\Programs\\Nowhere");
        QTest::newRow("same folder") << kStartup + QStringLiteral("\\Tillora.lnk") << kStartup;
    }
    void failedMoveLeavesBothFoldersAlone() {
        QFETCH(QString, source);
        QFETCH(QString, target);
        TempDrives drives;
        drives.addDrive('c');
        FakePlatform platform(drives.driveFolder());
        drives.writeFile('c', kStartupNative + "/Tillora.lnk", "shortcut");
        drives.writeFile('c', kProductNative + "/Other.lnk", "other");

        const MoveResult moved = moveFileToFolder(platform, source, target);
        QVERIFY(!moved);
        QVERIFY(!moved.reason.isEmpty());
        QCOMPARE(drives.readFile('c', kStartupNative + "/Tillora.lnk"), QByteArray("shortcut"));
        QCOMPARE(filesIn(drives.root('c') + u'/' + kStartupNative), QStringList{"Tillora.lnk"});
        QCOMPARE(filesIn(drives.root('c') + u'/' + kProductNative), QStringList{"Other.lnk"});
    }

    void aSourceThatCannotBeDeletedKeepsTheOldTarget() {
        TempDrives drives;
        drives.addDrive('c');
        FakePlatform platform(drives.driveFolder());
        const QString source = drives.writeFile('c', kStartupNative + "/Tillora.lnk", "new");
        drives.writeFile('c', kProductNative + "/Tillora.lnk", "old");
        // Its folder is writable, yet the file cannot be deleted.
        if (!setUndeletable(source, true))
            QSKIP("cannot make a file undeletable here");
        auto release = qScopeGuard([&] { setUndeletable(source, false); });

        QVERIFY(!moveFileToFolder(platform, kStartup + QStringLiteral("\\Tillora.lnk"), kProduct));
        QCOMPARE(drives.readFile('c', kStartupNative + "/Tillora.lnk"), QByteArray("new"));
        QCOMPARE(drives.readFile('c', kProductNative + "/Tillora.lnk"), QByteArray("old"));
        QCOMPARE(filesIn(drives.root('c') + u'/' + kProductNative), QStringList{"Tillora.lnk"});
    }

    void readOnlyFoldersStopTheMoveBeforeAnyCopy_data() {
        QTest::addColumn<bool>("lockTarget");
        QTest::newRow("target read-only") << true;
        QTest::newRow("source read-only") << false;
    }
    void readOnlyFoldersStopTheMoveBeforeAnyCopy() {
        QFETCH(bool, lockTarget);
        TempDrives drives;
        drives.addDrive('c');
        FakePlatform platform(drives.driveFolder());
        drives.writeFile('c', kStartupNative + "/Tillora.lnk", "shortcut");
        drives.writeFile('c', kProductNative + "/Tillora.lnk", "kept");
        const QString locked =
            drives.root('c') + u'/' + (lockTarget ? kProductNative : kStartupNative);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        auto unlock = qScopeGuard([&] {
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        });
        if (permissionsIgnored(locked))
            QSKIP("folder permissions do not apply to this user");

        QVERIFY(!moveFileToFolder(platform, kStartup + QStringLiteral("\\Tillora.lnk"), kProduct));
        QCOMPARE(drives.readFile('c', kStartupNative + "/Tillora.lnk"), QByteArray("shortcut"));
        QCOMPARE(drives.readFile('c', kProductNative + "/Tillora.lnk"), QByteArray("kept"));
        QCOMPARE(filesIn(drives.root('c') + u'/' + kProductNative), QStringList{"Tillora.lnk"});
    }

    void quickSetupShowsTheFieldsUntrimmed() {
        TempDrives drives;
        drives.addDrive('c');
        FakePlatform platform(drives.driveFolder());
        platform.printers = {QStringLiteral("Epson Receipt"), QStringLiteral("Kitchen")};
        FakePrompts prompts;
        ProgramValues values;
        drives.writeFile('c', "TILLORA/tlraini.dat",
                         settingsFile({{0, "Joe's Diner"},
                                       {7, "Epson Receipt"},
                                       {26, "4321"},
                                       {39, "  D:\\Shiftra\\"},
                                       {48, "\\\\SERVER\\Tillora\\"},
                                       {72, "Kitchen"}}));

        QuickSetupLoad load(platform, prompts, values);
        const auto content = load.load();
        QVERIFY(content);
        QVERIFY(prompts.inputs.isEmpty());
        QCOMPARE(content->text("Text1"), QStringLiteral("Joe's Diner") + QString(29, u' '));
        QCOMPARE(content->text("Text12"), QStringLiteral("4321") + QString(16, u' '));
        QCOMPARE(content->text("Combo1"), QStringLiteral("Epson Receipt") + QString(7, u' '));
        QCOMPARE(content->text("Combo9").trimmed(), QStringLiteral("Kitchen"));
        QCOMPARE(content->text("Text14").size(), 40);
        QCOMPARE(values.ShiftraDIR, QStringLiteral("D:\\Shiftra\\"));
        QCOMPARE(content->text("Text13"), values.ShiftraDIR);
        QCOMPARE(content->text("Text9"), values.ShiftraDIR);
        QCOMPARE(content->text("Text8"), values.RemoteDIR);
        QCOMPARE(content->printers, platform.printers);
    }

    void emptyShiftraFieldAndEmptyFoldersGetDefaults() {
        TempDrives drives;
        drives.addDrive('c');
        FakePlatform platform(drives.driveFolder());
        FakePrompts prompts;
        ProgramValues values;
        values.DataDIR.clear();
        values.RemoteDIR.clear();
        drives.writeFile('c', "Tillora/TlraINI.dat", settingsFile({{0, "Store"}}));

        const auto content = QuickSetupLoad(platform, prompts, values).load();
        QVERIFY(content);
        QCOMPARE(values.ShiftraDIR, QStringLiteral("C:\\Shiftra\\"));
        QCOMPARE(content->text("Text13"), QStringLiteral("C:\\Shiftra\\"));
        QCOMPARE(values.DataDIR, QStringLiteral("C:\\Tillora\\"));
        QCOMPARE(content->text("Text8"), QStringLiteral("C:\\Tillora\\"));
        QVERIFY(content->printers.isEmpty());
    }

    void missingFileAsksForTheFolderOnce() {
        TempDrives drives;
        drives.addDrive('c');
        drives.addDrive('d');
        QDir(drives.root('c')).mkpath("Tillora"); // the folder exists, the file does not
        drives.writeFile('d', "Store/TlraINI.dat", settingsFile({{0, "Moved Store"}}));
        FakePlatform platform(drives.driveFolder());
        FakePrompts prompts;
        prompts.inputAnswers.enqueue(QStringLiteral("D:\\Store"));
        ProgramValues values;

        QuickSetupLoad load(platform, prompts, values);
        const auto content = load.load();
        QVERIFY(content);
        QCOMPARE(prompts.inputs.size(), 1);
        QCOMPARE(prompts.inputs[0].prompt, QStringLiteral("Enter Path"));
        QCOMPARE(prompts.inputs[0].title, QStringLiteral("Error"));
        QCOMPARE(prompts.inputs[0].defaultText, QStringLiteral("C:\\Tillora\\"));
        QCOMPARE(values.DataDIR, QStringLiteral("D:\\Store\\"));
        QCOMPARE(values.RemoteDIR, QStringLiteral("D:\\Store\\"));
        QCOMPARE(load.settingsPath(), QStringLiteral("D:\\Store\\TlraINI.dat"));
        QCOMPARE(content->text("Text1").trimmed(), QStringLiteral("Moved Store"));
        QVERIFY(!drives.exists('c', "Tillora/TlraINI.dat"));
    }

    void secondFailureGivesUpWithoutCreatingFiles() {
        TempDrives drives;
        drives.addDrive('c');
        QDir(drives.root('c')).mkpath("Tillora");
        QDir(drives.root('c')).mkpath("Other");
        FakePlatform platform(drives.driveFolder());
        FakePrompts prompts;
        prompts.inputAnswers.enqueue(QStringLiteral("C:\\Other\\"));
        ProgramValues values;

        QVERIFY(!QuickSetupLoad(platform, prompts, values).load());
        QCOMPARE(prompts.inputs.size(), 1);
        QVERIFY(QDir(drives.root('c') + "/Tillora").isEmpty());
        QVERIFY(QDir(drives.root('c') + "/Other").isEmpty());

        // A wrong answer leaves the folders where later saves go as they were.
        QCOMPARE(values.DataDIR, ProgramValues().DataDIR);
        QCOMPARE(values.RemoteDIR, ProgramValues().RemoteDIR);

        // Cancelling the prompt keeps the folders the program had.
        ProgramValues untouched;
        FakePrompts cancelled;
        QVERIFY(!QuickSetupLoad(platform, cancelled, untouched).load());
        QCOMPARE(untouched.DataDIR, ProgramValues().DataDIR);
        QCOMPARE(untouched.RemoteDIR, ProgramValues().RemoteDIR);
    }
};

QTEST_GUILESS_MAIN(TestSetupTools)
#include "tst_setup_tools.moc"
