#pragma once

#include "BackupRunResult.h"
#include "RestorePlan.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace tillora {

class Platform;

// What a restore did.
struct RestoreReport {
    QStringList restored;       // the targets, as shown
    QStringList keptAside;      // where the files they replaced went, as shown
    QList<FileProblem> refused; // targets not restored, and why
    bool cancelled = false;     // stopped between two files; the rest untouched
    QString asideFolder;        // "c:\TLRArestore\2026-12-10 14-05"; empty when none was needed
};

// "Restore: 3 files restored, 1 file not restored; the files they replaced are kept in
// c:\TLRArestore\2026-12-10 14-05."
QString restoreInWords(const RestoreReport& report);

// The folder a restore keeps the files it replaces in: the one beside the data folder
// ("c:\Tillora\" -> "c:\TLRArestore\"), one folder per restore, named by its minute.
QString restoreAsideRoot(const QString& dataDir);

// Gives the files of a plan back, folder by folder, so that a folder is restored as one:
// each file is first copied beside its target under a temporary name; only then is each
// file standing there copied aside (<aside root>\<yyyy-mm-dd hh-mm>\<its store path>) and
// the new one renamed over it in one step. Killed at any moment, every target is either as
// it was or restored, and a replaced file is kept aside before it goes. A file that
// cannot be replaced now (another program has it open) is left as it is and refused.
// Reads the backup drive, never writes to it. Runs on a thread of its own.
class RestoreJob {
public:
    // `progress` hears (files done, files in all) after each file, on the job's thread.
    RestoreJob(Platform& platform, QString asideRoot, QDateTime now,
               std::function<void(int, int)> progress = {});

    RestoreReport run(const RestorePlan& plan);
    // Stops before the next file; a folder whose files are being renamed into place is
    // finished first. Safe from any thread.
    void cancel() { cancelled_ = true; }

    // Folders of earlier restores kept this long, then removed.
    static constexpr int KeepDays = 30;

private:
    struct Prepared {
        const RestoreTarget* file;
        std::filesystem::path temporary;
    };

    void removeOldAsideFolders();
    bool chooseAsideFolder();
    void restoreFolder(const QList<const RestoreTarget*>& files, RestoreReport& report);
    bool prepare(const RestoreTarget& file, QList<Prepared>& prepared, RestoreReport& report);
    void putInPlace(const Prepared& prepared, RestoreReport& report);
    void refuse(const RestoreTarget& file, const QString& reason, RestoreReport& report);

    Platform& platform_;
    QString asideRoot_; // Windows form, with its trailing backslash
    QDateTime now_;
    std::function<void(int, int)> progress_;
    std::atomic<bool> cancelled_{false};
    QString asideFolder_; // Windows form
    int done_ = 0;
    int total_ = 0;
};

} // namespace tillora
