#include "OffsiteStep.h"

#include "Clock.h"
#include "OffsiteFiles.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "ResticCommand.h"
#include "SecretStore.h"

#include <QDir>

namespace tillora {

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
    Stage stage = Stage::Unlock;
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
    , secrets_(secrets) {
    connect(&runner_, &ResticRunner::finished, this, &OffsiteStep::stageEnded);
    connect(&runner_, &ResticRunner::outputLine, this, [this](const QByteArray& line) {
        if (!job_ || job_->stage != Stage::Backup)
            return;
        if (const auto now = job_->output.addLine(line))
            Q_EMIT progress(*now);
    });
}

OffsiteStep::~OffsiteStep() = default;

bool OffsiteStep::follows(const BackupRunResult& result) const {
    const bool nightly =
        result.trigger == RunTrigger::Scheduled || result.trigger == RunTrigger::CatchUp;
    // A local copy that failed (a pulled USB drive) is all the more reason to make the
    // copy elsewhere; only a run that did nothing at all has none.
    return nightly && result.isRun() && result.outcome != RunOutcome::Declined &&
           result.outcome != RunOutcome::Cancelled &&
           OffsiteOptions::load(platform_, values_).enabled;
}

bool OffsiteStep::weeklyUpkeepDue(QDate today, QDate lastUpkeep) {
    if (!lastUpkeep.isValid())
        return true;
    const QDate lastSunday = today.addDays(-(today.dayOfWeek() % 7));
    return lastUpkeep < lastSunday;
}

void OffsiteStep::start(const BackupRunResult& result) {
    queue_.append(result);
    if (!job_)
        startNext();
}

void OffsiteStep::stop() {
    const QList<BackupRunResult> waiting = std::exchange(queue_, {});
    if (job_) {
        runner_.stop();
        fail(QStringLiteral("the program was ended during the off-site copy"));
    }
    for (BackupRunResult result : waiting) {
        OffsiteSummary summary;
        summary.outcome = OffsiteSummary::Outcome::Failed;
        summary.finished = clock_.now();
        summary.reason = QStringLiteral("not started: the program was ended");
        result.offsite = summary;
        Q_EMIT finished(result);
    }
}

void OffsiteStep::startNext() {
    if (queue_.isEmpty())
        return;
    const OffsiteOptions options = OffsiteOptions::load(platform_, values_);
    const OffsiteSecrets secrets = OffsiteSecrets::load(secrets_);
    job_ = std::make_unique<Job>(queue_.takeFirst(), options, secrets,
                                 OffsiteState::load(platform_, values_));
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
    run(Stage::Unlock);
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
        }
        return ResticCall{};
    }();
    runner_.start(call, job.commands.secretValues());
}

void OffsiteStep::stageEnded(const ResticExit& exit) {
    if (!job_)
        return;
    switch (job_->stage) {
    case Stage::Unlock:
        if (!exit.succeeded())
            return fail(exit.reason);
        return run(Stage::Backup);
    case Stage::Backup:
        return backupEnded(exit);
    case Stage::Check:
    case Stage::Prune:
        return upkeepEnded(job_->stage, exit);
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
            job.output = {};
            return run(Stage::Backup);
        }
        return fail(exit.reason);
    }
    if (summary) {
        job.summary.filesNew = summary->filesNew;
        job.summary.filesChanged = summary->filesChanged;
        job.summary.filesUnmodified = summary->filesUnmodified;
        job.summary.bytesAdded = summary->dataAdded;
        job.summary.snapshotId = summary->snapshotId;
        job.state.lastSnapshot = summary->snapshotId;
        job.state.lastSnapshotRepository = job.options.repository;
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
        job.summary.outcome = OffsiteSummary::Outcome::Failed;
        job.summary.reason =
            (stage == Stage::Check ? QStringLiteral("the weekly check of the repository failed: %1")
                                   : QStringLiteral("removing old snapshots failed: %1"))
                .arg(exit.reason);
        return complete();
    }
    if (stage == Stage::Check && job.options.prune)
        return run(Stage::Prune);
    job.state.lastMaintenance = clock_.now().date();
    job.saveState(platform_, values_);
    complete();
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
    startNext();
}

} // namespace tillora
