#pragma once

#include "Clock.h"

namespace tillora::test {

// A clock the test sets and advances.
class ManualClock final : public Clock {
public:
    explicit ManualClock(QDateTime start = QDateTime(QDate(2026, 12, 7), QTime(15, 0)))
        : now_(std::move(start)) {}
    QDateTime now() const override { return now_; }
    void set(const QDateTime& moment) { now_ = moment; }
    void advanceSeconds(qint64 seconds) { now_ = now_.addSecs(seconds); }

private:
    QDateTime now_;
};

} // namespace tillora::test
