#pragma once

#include "BackupStore.h"
#include "NativeFiles.h"
#include "RestoreCatalog.h"

#include <QtTest>

namespace tillora::test {

inline void writeAt(BackupStore& store, const QString& path, const QByteArray& bytes,
                    const QDateTime& modified) {
    QFile file(store.drives.writeFile('c', path, bytes));
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

inline void backUpOn(BackupStore& store, const QDate& day) {
    store.clock.set(QDateTime(day, QTime(3, 0)));
    store.prompts.answers.enqueue(PromptAnswer::Yes);
    QCOMPARE(store.engine.RunBackup(BackupEngine::Trigger::BackupNow).outcome,
             BackupEngine::Outcome::Completed);
    store.prompts.answers.clear();
}

inline QByteArray readAll(const std::filesystem::path& path) {
    QFile file(displayName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Three nights of a store: Monday's a.dat replaced on Tuesday and again on Wednesday, a
// file made just before the last backup, and one the store lost after the last backup.
struct ThreeNights : BackupStore {
    ThreeNights() {
        window.enabled = {true, false, false, false, false, false};
        values.DataDIR = QStringLiteral("c:\\Tillora\\");
        writeAt(*this, "Tillora/data/a.dat", "monday", {QDate(2026, 12, 6), QTime(12, 0)});
        writeAt(*this, "Tillora/ADS/ad.dat", "ad", {QDate(2026, 12, 6), QTime(12, 0)});
        backUpOn(*this, QDate(2026, 12, 7));
        writeAt(*this, "Tillora/data/a.dat", "tuesday", {QDate(2026, 12, 7), QTime(12, 0)});
        backUpOn(*this, QDate(2026, 12, 8));
        writeAt(*this, "Tillora/data/a.dat", "damaged", {QDate(2026, 12, 8), QTime(12, 0)});
        writeAt(*this, "Tillora/data/new.dat", "new", {QDate(2026, 12, 9), QTime(1, 0)});
        backUpOn(*this, QDate(2026, 12, 9));
        QFile::remove(drives.root('c') + "/Tillora/ADS/ad.dat");
        clock.set(QDateTime(QDate(2026, 12, 10), QTime(14, 5)));
    }
    RestoreCatalog catalog() const { return {platform, "e:", VersionLimits{}}; }
    QStringList contents(const QList<BackedUpFile>& files) const {
        QStringList shown;
        for (const BackedUpFile& file : files)
            shown.append(file.relativePath() + '=' + readAll(file.copy));
        return shown;
    }
};

} // namespace tillora::test
