#include "BackupRunner.h"

#include "BackupEngine.h"

#include <QDeadlineTimer>
#include <QThread>

namespace tillora {

BackupRunner::BackupRunner(BackupEngine& engine, QObject* parent)
    : QObject(parent)
    , engine_(engine) {
}

BackupRunner::~BackupRunner() {
    if (!thread_)
        return;
    cancelAndWait(EndLimit);
    thread_->quit();
    if (thread_->wait(QDeadlineTimer(EndLimit))) {
        delete worker_;
        delete thread_;
        return;
    }
    // A drive that stopped answering holds the copying in a system call: the program is
    // ending, and the thread is left to the system rather than destroyed while it runs.
    qWarning("tillora-backup: the backup thread did not stop in time");
}

void BackupRunner::start(RunTrigger trigger) {
    if (busy_) {
        Q_EMIT finished(engine_.refusal(trigger, RunOutcome::AlreadyRunning));
        return;
    }
    if (auto ended = engine_.prepare(trigger)) {
        Q_EMIT finished(*ended);
        return;
    }
    if (!thread_) {
        thread_ = new QThread;
        thread_->setObjectName(QStringLiteral("backup"));
        worker_ = new QObject;
        worker_->moveToThread(thread_);
        connect(this, &BackupRunner::copyRequested, worker_, [this] { copy(); });
        connect(this, &BackupRunner::copyEnded, this, &BackupRunner::deliver);
        thread_->start();
    }
    busy_ = true;
    {
        const std::lock_guard lock(handover_);
        copyingEnded_ = {};
        copying_ = copyingEnded_.get_future().share();
    }
    Q_EMIT copyRequested(QPrivateSignal());
}

// On the run's thread. The end is told last, from outside the runner: whoever waits for
// it may destroy the runner at once.
void BackupRunner::copy() {
    {
        const std::lock_guard lock(handover_); // the run prepare() left
    }
    BackupRunResult result = engine_.runPrepared();
    std::promise<void> ended;
    {
        const std::lock_guard lock(handover_);
        result_ = std::move(result);
        ended = std::move(copyingEnded_);
    }
    Q_EMIT copyEnded(QPrivateSignal());
    ended.set_value();
}

void BackupRunner::deliver() {
    BackupRunResult result;
    {
        const std::lock_guard lock(handover_);
        result = std::move(result_);
    }
    busy_ = false;
    Q_EMIT finished(result);
}

void BackupRunner::cancel() {
    if (busy_)
        engine_.cancel();
}

bool BackupRunner::cancelAndWait(std::chrono::milliseconds limit) {
    cancel();
    std::shared_future<void> copying;
    {
        const std::lock_guard lock(handover_);
        copying = copying_;
    }
    return !copying.valid() || copying.wait_for(limit) == std::future_status::ready;
}

} // namespace tillora
