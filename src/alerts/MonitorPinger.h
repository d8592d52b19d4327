#pragma once

#include "CancelFlag.h"
#include "MonitorPing.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <array>
#include <chrono>
#include <functional>
#include <optional>

namespace tillora {

// Sends the nightly runs' pings to the watcher off the caller's thread, one at a time and
// in order. A ping that fails is tried again 1, 5, 15, 30 and 60 minutes later (a router
// restarting at 3 am must not read as a dead PC), then noted in the history, never
// alerted: the watcher alerting is the point. A newer ping replaces one still waiting for
// its retry, since the watcher wants the latest state.
class MonitorPinger : public QObject {
    Q_OBJECT
public:
    using Retries = std::array<std::chrono::milliseconds, 5>; // after the first failure
    static constexpr Retries DefaultRetries{std::chrono::minutes(1), std::chrono::minutes(5),
                                            std::chrono::minutes(15), std::chrono::minutes(30),
                                            std::chrono::minutes(60)};

    // `pingUrl` reads the URL afresh for each ping (empty: off); `note` puts a line into
    // the history.
    MonitorPinger(std::function<QString()> pingUrl, std::function<void(const QString&)> note,
                  QObject* parent = nullptr);
    // A ping under way gives up at once; one not delivered is noted.
    ~MonitorPinger() override;

    void setRetries(const Retries& retries) { retries_ = retries; }
    // The CA certificate (PEM, native path) of a monitor no public authority vouches for.
    void setCaFile(const QString& nativePath) { caFile_ = nativePath; }

    void runStarting(RunTrigger trigger);
    void runFinished(const BackupRunResult& result);

private:
    struct Ping {
        quint64 serial = 0;
        QString what; // "fail ping of the 3:00 am run", for the history
        QString url;
        HttpsRequest request;
        int tries = 0;
        std::chrono::steady_clock::time_point firstFailure;
    };

    void ping(PingKind kind, const BackupRunResult& result);
    void send();
    void answered(quint64 serial, const HttpsResult& result);

    std::function<QString()> pingUrl_;
    std::function<void(const QString&)> note_;
    Retries retries_ = DefaultRetries;
    QString caFile_;
    quint64 serials_ = 0;
    std::optional<Ping> current_; // the latest ping, out or waiting for its retry
    QTimer retryTimer_;
    CancelFlag cancel_;
    QThreadPool worker_; // one thread: the pings go out in the order they were made
};

} // namespace tillora
