#pragma once

#include "BackupRunResult.h"
#include "BackupSetupSnapshot.h"
#include "OffsiteOptions.h"
#include "ResticJson.h"
#include "ResticRunner.h"
#include "RestoreDrill.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTemporaryFile>
#include <QTime>
#include <QTimer>

#include <chrono>
#include <memory>
#include <optional>

namespace tillora {

class Clock;
class Platform;
class SecretStore;
struct ProgramValues;

// When the store opens, as the rest of the program knows it: the default of StopAt.
class StoreOpening {
public:
    virtual ~StoreOpening() = default;
    // The report window's first report time while reports are on; nothing otherwise.
    virtual std::optional<QTime> firstReportTime() const = 0;
};

// How long a night's upload may go without progress, and how often that is looked at.
struct OffsiteLimits {
    std::chrono::milliseconds noProgress{std::chrono::minutes(30)};
    std::chrono::milliseconds lookEvery{std::chrono::seconds(30)};
};

// The encrypted copy kept elsewhere, made after a nightly run: restic backs up exactly
// the files of the directory set, and once a week checks the repository (and, where it
// may, forgets old snapshots). It runs as a child process beside the event loop, so a
// first upload of hours holds neither the scheduler nor the window; the run result comes
// back with its off-site summary filled in. After the weekly check a sample of the night's
// snapshot is restored and compared (RestoreDrill): a pass is the copy's restore proven. No call
// runs without a limit: an upload with no progress, past [Offsite] MaxHours or still running when
// the store opens is ended.
class OffsiteStep : public QObject {
    Q_OBJECT

public:
    OffsiteStep(const BackupSetupAccess& setup, const Platform& platform, const Clock& clock,
                const ProgramValues& values, const SecretStore& secrets, QObject* parent = nullptr);
    ~OffsiteStep() override;

    // True when the copy is switched on and the run is a nightly one (scheduled or
    // catch-up) that did something; with `askedFor` (the owner's "Copy now") any run that
    // did something.
    bool follows(const BackupRunResult& result, bool askedFor = false) const;
    // Starts the run's copy; while the copy before it still runs, the run's is skipped.
    void start(const BackupRunResult& result);
    bool running() const { return job_ != nullptr; }
    // Ends the copy under way with a Failed summary.
    void stop();

    void setStoreOpening(std::unique_ptr<StoreOpening> opening) { opening_ = std::move(opening); }
    OffsiteLimits limits;

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
    enum class Stage { Unlock, Backup, Check, Prune, Drill };

    void begin(const BackupRunResult& result);
    void skip(BackupRunResult result);
    QDateTime stopMoment(const OffsiteOptions& options) const;
    void run(Stage stage);
    void lookAtUpload();
    void stageEnded(const ResticExit& exit);
    void backupEnded(const ResticExit& exit);
    void stoppedAtOpening();
    void upkeepEnded(Stage stage, const ResticExit& exit);
    void afterBackup();
    void startDrill();
    void drillEnded(const DrillResult& drill);
    void fail(const ResticExit& exit);
    void fail(const QString& reason);
    void complete();

    const BackupSetupAccess& setup_;
    const Platform& platform_;
    const Clock& clock_;
    const ProgramValues& values_;
    const SecretStore& secrets_;
    std::unique_ptr<StoreOpening> opening_;
    ResticRunner runner_;
    RestoreDrill drill_;
    QTimer watch_;
    std::unique_ptr<Job> job_;
};

} // namespace tillora
