#pragma once

#include "RestoreJob.h"

#include <QObject>

#include <chrono>
#include <future>
#include <memory>
#include <mutex>

namespace tillora {

// Runs a restore off the window's thread and tells its progress and its report back on
// the thread that started it. One at a time; a backup run never overlaps one (the
// program asks `running` before it starts a run, and the window asks the backup's
// runner before it starts a restore).
class RestoreRunner : public QObject {
    Q_OBJECT

public:
    explicit RestoreRunner(Platform& platform, QObject* parent = nullptr);
    ~RestoreRunner() override;

    // False, and nothing started, while a restore runs.
    bool start(RestorePlan plan, const QString& asideRoot, const QDateTime& now);
    bool running() const { return job_ != nullptr; }
    void cancel();
    // cancel(), then waits up to `limit` for the restore's thread to let go of the files
    // and the platform (the program is ending); true when nothing goes on any more.
    bool cancelAndWait(std::chrono::milliseconds limit);

Q_SIGNALS:
    void progressed(int done, int total);
    void finished(const tillora::RestoreReport& report);

private:
    // What the job's thread reaches the runner through: cleared when the runner goes, so
    // a job still copying its last file tells no one.
    struct Link {
        std::mutex mutex;
        RestoreRunner* runner = nullptr;
    };

    Platform& platform_;
    std::shared_ptr<Link> link_;
    std::shared_ptr<RestoreJob> job_;
    std::shared_future<void> jobEnded_; // ready once the job's thread is done with it
};

} // namespace tillora
