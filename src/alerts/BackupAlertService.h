#pragma once

#include "AlertDispatcher.h"
#include "BackupAlerts.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>

namespace tillora {

class Clock;

// Turns backup runs and the time of day into alerts and hands them to the dispatcher,
// which sends them off this thread. It looks at the time on a timer of its own, so the
// scheduler's tick neither waits for it nor for any network.
class BackupAlertService : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::minutes CheckInterval{1};

    BackupAlertService(std::unique_ptr<AlertSources> sources, Notifier& notifier,
                       const Clock& clock, const QString& outboxPath, QObject* parent = nullptr);

    // Arms the time-of-day check and the outbox retry.
    void start();

    // Every run result passes here; a run that calls for an alert sends it.
    void runFinished(const BackupRunResult& result);
    // The night made up once its missing drive came back.
    void driveReturned(const BackupRunResult& result, DriveReturnWatch::Drive drive);
    // The same night again, with its off-site summary: alerts only on the off-site step.
    void offsiteFinished(const BackupRunResult& result);
    // Sends the due stale-backup and weekly alerts; the timer calls it.
    void checkTime();
    // Sends a test alert now, outside the outbox; `done` gets what each channel did.
    void sendTestAlert(std::function<void(const QList<ChannelOutcome>&)> done);

    AlertDispatcher& dispatcher() { return dispatcher_; }

private:
    std::unique_ptr<AlertSources> sources_;
    const Clock& clock_;
    BackupAlerts rules_;
    AlertDispatcher dispatcher_;
    QTimer checkTimer_;
};

} // namespace tillora
