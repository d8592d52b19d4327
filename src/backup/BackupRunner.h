#pragma once

#include "BackupRunResult.h"

#include <QObject>

#include <chrono>
#include <future>
#include <mutex>

class QThread;

namespace tillora {

class BackupEngine;

// Runs the engine's copying on a thread of its own, so the window and the timers carry
// on while a night's files are copied. The questions of "Backup Now" are asked before,
// on the calling thread; the result comes back there through `finished`.
class BackupRunner : public QObject {
    Q_OBJECT

public:
    explicit BackupRunner(BackupEngine& engine, QObject* parent = nullptr);
    // Stops a run still going and waits for it, up to the end limit.
    ~BackupRunner() override;

    static constexpr std::chrono::milliseconds EndLimit{5000};

    // A run refused or declined at once is told through `finished` before this returns;
    // a run started while another goes on is refused.
    void start(RunTrigger trigger);
    // From the start of a run until its result is told.
    bool running() const { return busy_; }
    // Stops the run between two files or two chunks; its result still comes.
    void cancel();
    // cancel(), then waits up to `limit` for the copying to stop. True when none goes on.
    bool cancelAndWait(std::chrono::milliseconds limit);

Q_SIGNALS:
    void finished(const BackupRunResult& result);
    // Between the two threads; connected once, before the run thread starts.
    void copyRequested(QPrivateSignal);
    void copyEnded(QPrivateSignal);

private:
    void copy();
    void deliver();

    BackupEngine& engine_;
    QThread* thread_ = nullptr;
    QObject* worker_ = nullptr; // lives on thread_
    bool busy_ = false;
    // What passes between the threads is handed over under this lock: the engine's
    // prepared run one way, the result the other.
    std::mutex handover_;
    BackupRunResult result_;
    std::promise<void> copyingEnded_;
    std::shared_future<void> copying_; // ready when the run's copying has ended
};

} // namespace tillora
