#include "OffsiteStep.h"

#include "Clock.h"
#include "OffsiteFiles.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "ResticCommand.h"
#include "RunWords.h"
#include "SecretStore.h"

#include <QDir>

namespace tillora {

namespace {

// An upload the store's opening ends this many nights running never finishes: a fault.
constexpr int NightsStoppedToFail = 3;
// What the history keeps of restic's error output beyond the reason: its last part.
constexpr qsizetype ErrorsKept = 4000;

// A call that finds the repository locked by a restic that was killed clears the stale
// lock and goes once more; a lock of a restic still running stays, and the call fails.
// Only then: each restic call costs a start-up, and most nights find no lock.
bool lockedOut(const ResticExit& exit) {
    return !exit.succeeded() && !exit.ended &&
           exit.reason.contains(QLatin1String("already locked"));
}

} // namespace

struct OffsiteStep::Job {
    Job(BackupRunResult run, OffsiteOptions chosen, OffsiteSecrets keys, OffsiteState remembered)
        : result(std::move(run))
        , options(std::move(chosen))
        , commands(options, std::move(keys))
        , state(std::move(remembered)) {
        elapsed.start();
    }

    // The state only spares later nights work (the parent snapshot, the weekly check done),
    // so a night whose state was not saved is noted on its run, not failed.
    void saveState(const Platform& platform, const ProgramValues& values) {
        if (const SaveResult saved = state.save(platform, values); !saved)
            result.notes.append(
                QStringLiteral("the off-site copy's state was not saved: %1").arg(saved.reason));
    }

    BackupRunResult result;
    OffsiteOptions options;
    ResticCommands commands;
    OffsiteState state;
    QTemporaryFile fileList{QDir::temp().filePath(QStringLiteral("tillora-offsite-XXXXXX.lst"))};
    QString parent;
    ResticBackupOutput output;
    OffsiteSummary summary;
    Stage stage = Stage::Backup;
    Stage afterUnlock = Stage::Backup;
    bool unlocked = false;
    QDateTime stopAt;           // when the store opens; invalid when the upload may go on
    bool stoppedAtOpen = false; // the upload was ended at stopAt
    qint64 bytesDone = -1;      // the most restic has reported done
    QElapsedTimer sinceProgress;
    QElapsedTimer elapsed;
};

OffsiteStep::OffsiteStep(const BackupSetupAccess& setup, const Platform& platform,
                         const Clock& clock, const ProgramValues& values,
                         const SecretStore& secrets, QObject* parent)
    : QObject(parent)
    , setup_(setup)
    , platform_(platform)
    , clock_(clock)
    , values_(values)
    , secrets_(secrets)
    , drill_(platform) {
    connect(&runner_, &ResticRunner::finished, this, &OffsiteStep::stageEnded);
    connect(&drill_, &RestoreDrill::finished, this, &OffsiteStep::drillEnded);
    connect(&runner_, &ResticRunner::outputLine, this, [this](const QByteArray& line) {
        if (!job_ || job_->stage != Stage::Backup)
            return;
        if (const auto now = job_->output.addLine(line)) {
            // restic prints its status twice a second while stalled too: only bytes done
            // that grow are progress.
            if (now->bytesDone > job_->bytesDone) {
                job_->bytesDone = now->bytesDone;
                job_->sinceProgress.restart();
            }
            Q_EMIT progress(*now);
        }
    });
    connect(&watch_, &QTimer::timeout, this, &OffsiteStep::lookAtUpload);
}

OffsiteStep::~OffsiteStep() = default;

bool OffsiteStep::follows(const BackupRunResult& result, bool askedFor) const {
    const bool nightly = askedFor || result.trigger == RunTrigger::Scheduled ||
                         result.trigger == RunTrigger::CatchUp;
    // A local copy that failed (a pulled USB drive) is all the more reason to make the
    // copy elsewhere; only a run that did nothing at all has none.
    return nightly && result.isRun() && result.outcome != RunOutcome::Declined &&
           result.outcome != RunOutcome::Cancelled &&
           result.outcome != RunOutcome::RunningElsewhere && // that run makes the copy

           OffsiteOptions::load(platform_, values_).enabled;
}

bool OffsiteStep::weeklyUpkeepDue(QDate today, QDate lastUpkeep) {
    if (!lastUpkeep.isValid())
        return true;
    const QDate lastSunday = today.addDays(-(today.dayOfWeek() % 7));
    return lastUpkeep < lastSunday;
}

void OffsiteStep::start(const BackupRunResult& result) {
    if (job_)
        return skip(result);
    begin(result);
}

void OffsiteStep::stop() {
    if (!job_)
        return;
    watch_.stop();
    runner_.stop();
    drill_.stop();
    fail(QStringLiteral("the program was ended during the off-site copy"));
}

// Queued behind a stalled night, copies would pile up; tonight's files are in the next
// night's copy anyway.
void OffsiteStep::skip(BackupRunResult result) {
    OffsiteSummary summary;
    summary.outcome = OffsiteSummary::Outcome::Skipped;
    summary.finished = clock_.now();
    summary.reason = QStringLiteral("the previous off-site copy was still running");
    result.offsite = summary;
    result.notes.append(QStringLiteral("off-site copy skipped: ") + summary.reason);
    QMetaObject::invokeMethod(
        this, [this, result] { Q_EMIT finished(result); }, Qt::QueuedConnection);
}

QDateTime OffsiteStep::stopMoment(const OffsiteOptions& options) const {
    const std::optional<QTime> at = options.stopAt ? options.stopAtTime()
                                    : opening_     ? opening_->firstReportTime()
                                                   : std::nullopt;
    if (!at)
        return {};
    const QDateTime now = clock_.now();
    const QDateTime today(now.date(), *at);
    return today > now ? today : today.addDays(1);
}

void OffsiteStep::begin(const BackupRunResult& result) {
    const OffsiteOptions options = OffsiteOptions::load(platform_, values_);
    const OffsiteSecrets secrets = OffsiteSecrets::load(secrets_);
    job_ = std::make_unique<Job>(result, options, secrets, OffsiteState::load(platform_, values_));
    job_->stopAt = stopMoment(options);
    Q_EMIT started();

    if (options.repository.isEmpty())
        return fail(QStringLiteral("no repository is set in the Off-site copy window"));
    if (secrets.password.isEmpty())
        return fail(QStringLiteral("no repository password is set in the Off-site copy window"));
    const QStringList files = directorySetFiles(setup_.snapshot(), platform_);
    if (files.isEmpty())
        return fail(QStringLiteral("there were no files to copy: no product folder is enabled, "
                                   "or the source drive is not there"));
    if (!job_->fileList.open() || job_->fileList.write(nulSeparated(files)) < 0 ||
        !job_->fileList.flush())
        return fail(QStringLiteral("the list of files could not be written: %1")
                        .arg(job_->fileList.errorString()));
    job_->fileList.close();
    if (job_->state.lastSnapshotRepository == options.repository)
        job_->parent = job_->state.lastSnapshot;
    run(Stage::Backup);
}

void OffsiteStep::run(Stage stage) {
    Job& job = *job_;
    job.stage = stage;
    const ResticCall call = [&] {
        switch (stage) {
        case Stage::Unlock:
            return job.commands.unlock();
        case Stage::Backup: {
            QStringList tags{programTag()};
            if (const QString store = storeTag(values_.CompanyName); !store.isEmpty())
                tags.append(store);
            return job.commands.backup(job.fileList.fileName(), tags, job.parent);
        }
        case Stage::Check:
            return job.commands.check();
        case Stage::Prune:
            return job.commands.forgetAndPrune();
        case Stage::Drill:
            break;
        }
        return ResticCall{};
    }();
    if (stage == Stage::Backup) {
        job.output = {};
        job.bytesDone = -1;
        job.sinceProgress.start();
        watch_.start(limits.lookEvery);
    }
    runner_.start(call, job.commands.secretValues());
}

void OffsiteStep::lookAtUpload() {
    if (!job_ || job_->stage != Stage::Backup)
        return;
    if (job_->stopAt.isValid() && clock_.now() >= job_->stopAt) {
        job_->stoppedAtOpen = true;
        runner_.end(QStringLiteral("stopped when the store opened"));
    } else if (job_->sinceProgress.elapsed() >= limits.noProgress.count()) {
        runner_.end(QStringLiteral("no progress for %1").arg(limitInWords(limits.noProgress)));
    }
}

void OffsiteStep::stageEnded(const ResticExit& exit) {
    if (!job_)
        return;
    watch_.stop();
    if (job_->stage != Stage::Unlock && !job_->unlocked && lockedOut(exit)) {
        job_->unlocked = true;
        job_->afterUnlock = job_->stage;
        return run(Stage::Unlock);
    }
    switch (job_->stage) {
    case Stage::Unlock:
        if (!exit.succeeded())
            return fail(exit);
        return run(job_->afterUnlock);
    case Stage::Backup:
        return backupEnded(exit);
    case Stage::Check:
    case Stage::Prune:
        return upkeepEnded(job_->stage, exit);
    case Stage::Drill:
        return;
    }
}

void OffsiteStep::backupEnded(const ResticExit& exit) {
    Job& job = *job_;
    const auto& summary = job.output.summary();
    // restic's exit code 3: the snapshot was made, but some files could not be read.
    const bool partial = exit.exitCode == 3 && summary.has_value();
    if (!exit.succeeded() && !partial) {
        // The remembered parent may have been removed from the repository by hand.
        if (!job.parent.isEmpty() && exit.reason.contains(QLatin1String("invalid id"))) {
            job.parent.clear();
            return run(Stage::Backup);
        }
        if (exit.ended && job.stoppedAtOpen)
            return stoppedAtOpening();
        return fail(exit);
    }
    if (summary) {
        job.summary.filesNew = summary->filesNew;
        job.summary.filesChanged = summary->filesChanged;
        job.summary.filesUnmodified = summary->filesUnmodified;
        job.summary.bytesAdded = summary->dataAdded;
        job.summary.snapshotId = summary->snapshotId;
        job.state.lastSnapshot = summary->snapshotId;
        job.state.lastSnapshotRepository = job.options.repository;
        job.state.nightsStopped = 0;
        job.saveState(platform_, values_);
    }
    if (partial) {
        // restic reports each file it could not read as a JSON line on its error output.
        for (const QByteArray& line : exit.errorOutput.split('\n'))
            job.output.addLine(line);
        const QStringList& unreadable = job.output.unreadable();
        job.summary.outcome = OffsiteSummary::Outcome::Incomplete;
        job.summary.reason =
            unreadable.isEmpty()
                ? QStringLiteral("some files could not be read: %1").arg(exit.reason)
                : QStringLiteral("%1 file(s) could not be read: %2")
                      .arg(unreadable.size())
                      .arg(unreadable.mid(0, 5).join(QStringLiteral("; ")));
    }
    afterBackup();
}

// restic keeps what it uploaded, so the next night goes on from there; only an upload
// that never gets done between closing and opening is a fault.
void OffsiteStep::stoppedAtOpening() {
    Job& job = *job_;
    const QString at = timeOfDayInWords(job.stopAt.time());
    job.state.nightsStopped += 1;
    job.saveState(platform_, values_);
    if (job.state.nightsStopped >= NightsStoppedToFail)
        return fail(QStringLiteral("stopped at %1 %2 nights running; the upload does not finish "
                                   "before the store opens")
                        .arg(at)
                        .arg(job.state.nightsStopped));
    job.summary.outcome = OffsiteSummary::Outcome::Stopped;
    job.summary.reason = QStringLiteral("stopped at %1; it goes on tonight").arg(at);
    complete();
}

void OffsiteStep::afterBackup() {
    if (weeklyUpkeepDue(clock_.now().date(), job_->state.lastMaintenance))
        return run(Stage::Check);
    complete();
}

void OffsiteStep::upkeepEnded(Stage stage, const ResticExit& exit) {
    Job& job = *job_;
    if (!exit.succeeded()) {
        // The snapshot is made; the repository needs the owner's attention all the same.
        // The upkeep is tried again the next night.
        job.summary.outcome = job.summary.snapshotId.isEmpty()
                                  ? OffsiteSummary::Outcome::Failed
                                  : OffsiteSummary::Outcome::CheckFailed;
        job.summary.errors = QString::fromUtf8(exit.errorOutput.right(ErrorsKept)).trimmed();
        job.summary.reason =
            (stage == Stage::Check ? QStringLiteral("the weekly check of the repository failed: %1")
                                   : QStringLiteral("removing old snapshots failed: %1"))
                .arg(exit.reason);
        return complete();
    }
    if (stage == Stage::Check && job.options.prune)
        return run(Stage::Prune);
    startDrill();
}

void OffsiteStep::startDrill() {
    Job& job = *job_;
    job.stage = Stage::Drill;
    drill_.start(
        job.commands,
        job.summary.snapshotId.isEmpty() ? QStringLiteral("latest") : job.summary.snapshotId,
        directorySetCopies(setup_.snapshot(), platform_), clock_.now().date().weekNumber());
}

// A drill that fails leaves the upkeep due, so the check and the drill go again the next
// night, as after a failed check.
void OffsiteStep::drillEnded(const DrillResult& drill) {
    if (!job_ || job_->stage != Stage::Drill)
        return;
    Job& job = *job_;
    if (!drill.passed) {
        job.summary.outcome = OffsiteSummary::Outcome::DrillFailed;
        job.summary.reason = drill.reason;
        job.summary.errors = drill.errors.right(int(ErrorsKept));
        return complete();
    }
    job.summary.restoreProven = true;
    job.state.lastMaintenance = clock_.now().date();
    job.saveState(platform_, values_);
    complete();
}

void OffsiteStep::fail(const ResticExit& exit) {
    job_->summary.errors = QString::fromUtf8(exit.errorOutput.right(ErrorsKept)).trimmed();
    fail(exit.reason);
}

void OffsiteStep::fail(const QString& reason) {
    job_->summary.outcome = OffsiteSummary::Outcome::Failed;
    job_->summary.reason = reason;
    if (reason.contains(QLatin1String("unable to open config file")))
        job_->summary.reason +=
            QStringLiteral(" (the repository is missing or cannot be reached; a new one is "
                           "made only by \"Create repository\" in the Off-site copy window)");
    complete();
}

void OffsiteStep::complete() {
    std::unique_ptr<Job> job = std::move(job_);
    job->summary.finished = clock_.now();
    job->summary.seconds = double(job->elapsed.elapsed()) / 1000.0;
    job->result.offsite = job->summary;
    Q_EMIT finished(job->result);
}

} // namespace tillora
