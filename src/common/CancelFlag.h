#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace tillora {

// Set once when the program ends: work on other threads (a network transfer, the wait
// before a retry) sees it and gives up at once instead of holding the end. Safe on any
// thread; a flag once set stays set.
class CancelFlag {
public:
    void cancel() {
        {
            const std::lock_guard lock(mutex_);
            cancelled_ = true;
        }
        woken_.notify_all();
    }
    bool cancelled() const { return cancelled_.load(); }

    // Sleeps for `duration`, or less when the flag is set meanwhile; true when it was not.
    bool sleepFor(std::chrono::milliseconds duration) const {
        std::unique_lock lock(mutex_);
        return !woken_.wait_for(lock, duration, [this] { return cancelled_.load(); });
    }

private:
    std::atomic<bool> cancelled_{false};
    mutable std::mutex mutex_;
    mutable std::condition_variable woken_;
};

} // namespace tillora
