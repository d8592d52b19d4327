#pragma once

#include "BackupRunResult.h"
#include "BackupSetupSnapshot.h"
#include "OffsiteOptions.h"
#include "ResticJson.h"
#include "ResticRunner.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTemporaryFile>

#include <memory>
#include <optional>

namespace tillora {

class Clock;
class Platform;
class SecretStore;
struct ProgramValues;

// The encrypted copy kept elsewhere, made after a nightly run: restic clears stale locks,
// backs up exactly the files of the directory set, and once a week checks the repository
// (and, where it may, forgets old snapshots). It runs as a child process beside the event
// loop, so a first upload of hours holds neither the scheduler nor the window; the run
// result comes back with its off-site summary filled in.
class OffsiteStep : public QObject {
    Q_OBJECT

public:
    OffsiteStep(const BackupSetupAccess& setup, const Platform& platform, const Clock& clock,
                const ProgramValues& values, const SecretStore& secrets, QObject* parent = nullptr);
    ~OffsiteStep() override;

    // True when the copy is switched on and the run is a nightly one (scheduled or
    // catch-up) that did something.
    bool follows(const BackupRunResult& result) const;
    // Queues the run; its copy starts now, or when the copy before it has ended.
    void start(const BackupRunResult& result);
    bool running() const { return job_ != nullptr; }
    // Ends the copy under way and every queued one, each with a Failed summary.
    void stop();

    // Weekly upkeep is due after the first run on or after each Sunday, so a missed
    // Sunday is made up on the next night.
    static bool weeklyUpkeepDue(QDate today, QDate lastUpkeep);

Q_SIGNALS:
    void started();
    void progress(const ResticProgress& progress);
    // The run result with `offsite` filled in.
    void finished(const BackupRunResult& result);

private:
    struct Job;
    enum class Stage { Unlock, Backup, Check, Prune };

    void startNext();
    void run(Stage stage);
    void stageEnded(const ResticExit& exit);
    void backupEnded(const ResticExit& exit);
    void upkeepEnded(Stage stage, const ResticExit& exit);
    void afterBackup();
    void fail(const QString& reason);
    void complete();

    const BackupSetupAccess& setup_;
    const Platform& platform_;
    const Clock& clock_;
    const ProgramValues& values_;
    const SecretStore& secrets_;
    ResticRunner runner_;
    QList<BackupRunResult> queue_;
    std::unique_ptr<Job> job_;
};

} // namespace tillora
