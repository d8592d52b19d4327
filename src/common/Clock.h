#pragma once

#include <QDateTime>

namespace tillora {

// The one source of the current date and time; tests pass a clock they set.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace tillora
