#include "RestoreRunner.h"

#include "AsyncTask.h"

namespace tillora {

RestoreRunner::RestoreRunner(Platform& platform, QObject* parent)
    : QObject(parent)
    , platform_(platform)
    , link_(std::make_shared<Link>()) {
    link_->runner = this;
}

RestoreRunner::~RestoreRunner() {
    cancel(); // the files being renamed into place are finished; the rest stay as they are
    const std::lock_guard lock(link_->mutex);
    link_->runner = nullptr;
}

bool RestoreRunner::start(RestorePlan plan, const QString& asideRoot, const QDateTime& now) {
    if (job_)
        return false;
    // Emitted on the job's thread, the signal reaches the window on its own.
    job_ = std::make_shared<RestoreJob>(platform_, asideRoot, now,
                                        [link = link_](int done, int total) {
                                            const std::lock_guard lock(link->mutex);
                                            if (link->runner)
                                                Q_EMIT link->runner->progressed(done, total);
                                        });
    auto ended = std::make_shared<std::promise<void>>();
    jobEnded_ = ended->get_future().share();
    runInBackground(
        this,
        [job = job_, plan = std::move(plan), ended] {
            RestoreReport report = job->run(plan);
            ended->set_value();
            return report;
        },
        [this](const RestoreReport& report) {
            job_.reset();
            Q_EMIT finished(report);
        });
    return true;
}

void RestoreRunner::cancel() {
    if (job_)
        job_->cancel();
}

bool RestoreRunner::cancelAndWait(std::chrono::milliseconds limit) {
    cancel();
    return !job_ || jobEnded_.wait_for(limit) == std::future_status::ready;
}

} // namespace tillora
