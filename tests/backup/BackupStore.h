#pragma once

#include "BackupEngine.h"
#include "FakeBackupWindow.h"
#include "FakePlatform.h"
#include "FakePrompts.h"
#include "ManualClock.h"
#include "ProgramValues.h"
#include "TempDrives.h"

#include <QDirIterator>

namespace tillora::test {

// A store with drive c: as the source and e: as the backup drive, and an engine wired
// to fakes of the main window, prompts and clock (3:00 am on 8 December 2026).
struct BackupStore {
    BackupStore() {
        drives.addDrive('c');
        drives.addDrive('e', QStringLiteral("BACKUP"));
    }

    // Every file and folder below a drive folder, relative, folders ending in "/".
    QStringList tree(char letter, const QString& below = QStringLiteral("TLRAbackup")) const {
        const QString root = drives.root(letter) + u'/' + below;
        QStringList entries;
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            const QString relative = it.filePath().mid(root.size() + 1);
            entries.append(it.fileInfo().isDir() ? relative + u'/' : relative);
        }
        entries.sort();
        return entries;
    }

    TempDrives drives;
    FakePlatform platform{drives.driveFolder()};
    ManualClock clock{QDateTime(QDate(2026, 12, 8), QTime(3, 0, 40))};
    FakePrompts prompts;
    ProgramValues values;
    FakeBackupWindow window;
    std::function<NetConnectResult()> reconnect;
    BackupEngine engine{window, window, platform, clock, prompts, values, [this] {
                            return reconnect ? reconnect() : NetConnectResult{};
                        }};
};

} // namespace tillora::test
