#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QPromise>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

namespace tillora {

namespace detail {
// Qt's pool hands a task to its thread inside a library built without the thread checker,
// which then cannot see that the task was complete before the thread read it. Passing
// through this lock on both sides shows it; it is held for no time at all.
inline std::mutex& taskHandOver() {
    static std::mutex lock;
    return lock;
}
} // namespace detail

// The program's one way of running long work (a send, a test message): `work` runs on a
// thread of `pool` and its result goes to `done` on the thread of `context` (a `work`
// without a result calls `done` with none). When the context is gone by then (a window
// closed meanwhile), `done` is dropped, never called on a dead object. `work` must not
// reach the context: it gets what it needs by value, or objects that wait for it before
// they go (the notifier waits for its sends).
template <typename Work, typename Done>
void runInBackground(QObject* context, Work work, Done done,
                     QThreadPool& pool = *QThreadPool::globalInstance()) {
    using Result = std::invoke_result_t<Work&>;
    auto promise = std::make_shared<QPromise<Result>>();
    // The watcher belongs to the context: it goes with it, and so does the callback.
    auto* watcher = new QFutureWatcher<Result>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, watcher,
                     [watcher, done = std::move(done)]() mutable {
                         watcher->deleteLater();
                         if (watcher->future().isCanceled()) // the pool dropped it unrun
                             return;
                         if constexpr (std::is_void_v<Result>)
                             done();
                         else if (watcher->future().resultCount() > 0)
                             done(watcher->future().result());
                     });
    watcher->setFuture(promise->future());
    promise->start();
    std::function<void()> task = [promise, work = std::move(work)]() mutable {
        { const std::lock_guard received(detail::taskHandOver()); }
        if constexpr (std::is_void_v<Result>)
            work();
        else
            promise->addResult(work());
        promise->finish();
    };
    { const std::lock_guard handedOver(detail::taskHandOver()); }
    pool.start(std::move(task));
}

} // namespace tillora
