// The Linux side of the platform seam over a temporary drive folder.
#include "LinuxPlatform.h"
#include "TempDrives.h"

#include <QDir>
#include <QtTest>

using namespace tillora;
using tillora::test::TempDrives;

class TestPlatform : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void resolvesPathsWithoutRegardToCase() {
        TempDrives drives;
        drives.addDrive('c');
        drives.writeFile('c', "TILLORA/Ini/Autobackup.dat", "x");
        LinuxPlatform platform(drives.driveFolder());
        const QString root = QDir(drives.driveFolder()).filePath("c:");

        QCOMPARE(platform.nativePath("c:\\Tillora\\ini\\Autobackup.dat"),
                 root + "/TILLORA/Ini/Autobackup.dat");
        QCOMPARE(platform.nativePath("C:\\tillora\\INI\\"), root + "/TILLORA/Ini/");
        // A missing component keeps the spelling given, below the matched ones.
        QCOMPARE(platform.nativePath("c:\\tillora\\New Folder\\ADs"),
                 root + "/TILLORA/New Folder/ADs");
        QCOMPARE(platform.nativePath("C:"), root);
        // No drive letter: a relative path, separators converted.
        QCOMPARE(platform.nativePath("dontprint.txt"), QStringLiteral("dontprint.txt"));
        QCOMPARE(platform.nativePath("ini\\x.dat"), QStringLiteral("ini/x.dat"));
        QVERIFY(QFile::exists(platform.nativePath("c:\\TiLLoRa\\iNi\\AUTOBACKUP.DAT")));
    }

    void anEmptyMountPointIsNoDrive() {
        TempDrives drives;
        drives.addDrive('c');
        const QString backup = drives.addDrive('e', "BACKUP");
        LinuxPlatform platform(drives.driveFolder());
        // The backup disk's mount point as fstab writes it, a blank escaped.
        const QString mountPoint = QFileInfo(backup).canonicalFilePath();
        QVERIFY(QDir().rename(mountPoint, mountPoint + " usb"));
        const QByteArray fstab = "# <file system> <mount point>\n"
                                 "UUID=1234 /    ext4 defaults 0 1\n"
                                 "LABEL=BACKUP " +
                                 QFile::encodeName(mountPoint) + "\\040usb ext4 nofail 0 2\n";
        QVERIFY(QFile::remove(drives.driveFolder() + "/e:"));
        QVERIFY(QFile::link(mountPoint + " usb", drives.driveFolder() + "/e:"));
        QByteArray mountInfo = "22 1 8:1 / / rw shared:1 - ext4 /dev/sda1 rw\n";
        platform.setMountTable([&] {
            return MountTable{MountTable::parseFstab(fstab), MountTable::parseMountInfo(mountInfo)};
        });
        QCOMPARE(platform.drives(), QStringList({"c:"}));

        mountInfo += "40 22 8:17 / " + QFile::encodeName(mountPoint) + "\\040usb rw - ext4 x rw\n";
        QCOMPARE(platform.drives(), QStringList({"c:", "e: [BACKUP]"}));
    }

    void listsDrivesInSelectorForm() {
        TempDrives drives;
        drives.addDrive('e', "BACKUP DISK");
        drives.addDrive('c');
        drives.addDrive('f');
        drives.pullDrive('f');                   // a link to a drive that is gone is not listed
        QDir(drives.driveFolder()).mkdir("c::"); // Wine's raw device entries are not drives
        LinuxPlatform platform(drives.driveFolder());
        QCOMPARE(platform.drives(), (QStringList{"c:", "e: [BACKUP DISK]"}));
        QVERIFY(platform.nativePath("f:\\TLRAbackup").endsWith("f:/TLRAbackup"));
    }

    void diskSpaceOfAPresentDriveOnly() {
        TempDrives drives;
        drives.addDrive('c');
        LinuxPlatform platform(drives.driveFolder());
        const auto space = platform.diskSpace("c:");
        QVERIFY(space);
        QVERIFY(space->total > 0);
        QVERIFY(space->free <= space->total);
        QVERIFY(space->callerFree <= space->free);
        QVERIFY(!platform.diskSpace("q:"));
    }

    void remapAndEditorCommandsAreArgumentLists() {
        LinuxPlatform platform(QString{});
        QCOMPARE(platform.remapCommand("z:", "\\\\server\\back ups"),
                 (Command{"gio", {"mount", "smb://server/back ups"}}));
        QCOMPARE(platform.editorCommand("/x/sms.dat"), (Command{"xdg-open", {"/x/sms.dat"}}));
    }

    void profileFoldersFromTheWinePrefix() {
        TempDrives drives;
        drives.addDrive('c');
        QDir(drives.root('c')).mkpath("users/Public");
        LinuxPlatform platform(drives.driveFolder());
        const ProfileFolders folders = platform.profileFolders();
        QCOMPARE(folders.allUsers, QStringLiteral("C:\\users\\Public"));
        QCOMPARE(folders.profilesRoot, QStringLiteral("C:\\users"));
        QCOMPARE(folders.defaultUser, QStringLiteral("C:\\users\\Default"));
        QVERIFY(folders.currentUser.startsWith("C:\\users\\"));
    }

    void secondInstanceIsRefused() {
        LinuxPlatform platform(QString{});
        const QString name = "tillora-test-" + QString::number(QCoreApplication::applicationPid());
        auto first = platform.claimSingleInstance(name);
        QVERIFY(first);
        QVERIFY(!platform.claimSingleInstance(name));
        first.reset();
        QVERIFY(platform.claimSingleInstance(name));
    }

    void theMachineWideRunLockHasOneHolder() {
        LinuxPlatform platform(QString{});
        const QString name = "tillora-run-" + QString::number(QCoreApplication::applicationPid());
        auto first = platform.claimMachineWide(name);
        QVERIFY(first && !platform.claimMachineWide(name));
        first.reset();
        QVERIFY(platform.claimMachineWide(name));
        QFile::remove("/run/lock/" + name + ".lock");
    }

    void wholeFileLocksExcludeEachOther() {
        QTemporaryDir dir;
        const QString path = dir.filePath("TSinout.dat");
        QFile a(path), b(path);
        QVERIFY(a.open(QIODevice::ReadWrite));
        QVERIFY(b.open(QIODevice::ReadWrite));
        LinuxPlatform platform(QString{});
        {
            WholeFileLock lockA(platform, a);
            QVERIFY(lockA.locked());
            QElapsedTimer timer;
            timer.start();
            QVERIFY(!platform.lockWholeFile(b)); // held: gives up after its wait
            QVERIFY(timer.elapsed() >= 2500);
        }
        WholeFileLock lockB(platform, b);
        QVERIFY(lockB.locked());
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
