#include "BackupAlertService.h"

#include "BackupAlertTexts.h"
#include "Clock.h"

namespace tillora {

BackupAlertService::BackupAlertService(std::unique_ptr<AlertSources> sources, Notifier& notifier,
                                       const Clock& clock, const QString& outboxPath,
                                       QObject* parent)
    : QObject(parent)
    , sources_(std::move(sources))
    , clock_(clock)
    , rules_(*sources_)
    , dispatcher_(notifier, clock, outboxPath) {
    checkTimer_.setInterval(CheckInterval);
    connect(&checkTimer_, &QTimer::timeout, this, &BackupAlertService::checkTime);
}

void BackupAlertService::start() {
    checkTimer_.start();
    dispatcher_.start();
}

void BackupAlertService::runFinished(const BackupRunResult& result) {
    if (auto message = rules_.afterRun(result))
        dispatcher_.dispatch(*message);
}

void BackupAlertService::driveReturned(const BackupRunResult& result,
                                       DriveReturnWatch::Drive drive) {
    if (auto message = rules_.afterDriveReturned(result, drive))
        dispatcher_.dispatch(*message);
}

void BackupAlertService::offsiteFinished(const BackupRunResult& result) {
    if (auto message = rules_.afterOffsite(result))
        dispatcher_.dispatch(*message);
}

void BackupAlertService::checkTime() {
    for (const NotifyMessage& message : rules_.dueAt(clock_.now()))
        dispatcher_.dispatch(message);
}

void BackupAlertService::sendTestAlert(std::function<void(const QList<ChannelOutcome>&)> done) {
    dispatcher_.sendNow(alert::testAlert(sources_->companyName()), std::move(done));
}

} // namespace tillora
