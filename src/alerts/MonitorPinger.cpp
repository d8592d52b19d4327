#include "MonitorPinger.h"

#include "AsyncTask.h"
#include "RunWords.h"

namespace tillora {

MonitorPinger::MonitorPinger(std::function<QString()> pingUrl,
                             std::function<void(const QString&)> note, QObject* parent)
    : QObject(parent)
    , pingUrl_(std::move(pingUrl))
    , note_(std::move(note)) {
    worker_.setMaxThreadCount(1);
    retryTimer_.setSingleShot(true);
    connect(&retryTimer_, &QTimer::timeout, this, &MonitorPinger::send);
}

MonitorPinger::~MonitorPinger() {
    cancel_.cancel();
    worker_.waitForDone();
    if (current_)
        note_(QStringLiteral("The monitor's %1 was still going out when the program ended.")
                  .arg(current_->what));
}

void MonitorPinger::runStarting(RunTrigger trigger) {
    if (pingsStart(trigger))
        ping(PingKind::Start, {});
}

void MonitorPinger::runFinished(const BackupRunResult& result) {
    if (const auto kind = pingAfter(result))
        ping(*kind, result);
}

void MonitorPinger::ping(PingKind kind, const BackupRunResult& result) {
    const QString url = pingUrl_();
    if (url.isEmpty())
        return;
    QString what = pingKindName(kind) + QStringLiteral(" ping");
    if (kind != PingKind::Start)
        what += QStringLiteral(" of the %1 run").arg(timeOfDayInWords(result.started.time()));
    auto request = pingRequest(url, kind, result);
    if (!request) {
        // A start has no ping on some monitors; an end always has one.
        if (!pingUrlProblem(url).isEmpty() && kind != PingKind::Start)
            note_(QStringLiteral("The monitor's %1 was not sent: the ping URL in secrets.ini "
                                 "does not read.")
                      .arg(what));
        return;
    }
    request->caFile = caFile_;
    request->cancel = &cancel_;
    retryTimer_.stop();
    current_ = Ping{++serials_, what, url, *request, 0, {}};
    send();
}

void MonitorPinger::send() {
    if (!current_)
        return;
    ++current_->tries;
    const quint64 serial = current_->serial;
    runInBackground(
        this, [request = current_->request] { return sendHttps(request); },
        [this, serial](const HttpsResult& result) { answered(serial, result); }, worker_);
}

void MonitorPinger::answered(quint64 serial, const HttpsResult& result) {
    if (!current_ || current_->serial != serial)
        return; // a newer ping has taken its place
    if (result.succeeded()) {
        current_.reset();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (current_->tries == 1)
        current_->firstFailure = now;
    if (current_->tries <= int(retries_.size())) {
        const auto due = current_->firstFailure + retries_[size_t(current_->tries - 1)];
        retryTimer_.start(
            std::max(std::chrono::milliseconds(0),
                     std::chrono::duration_cast<std::chrono::milliseconds>(due - now)));
        return;
    }
    note_(QStringLiteral("The monitor's %1 was not delivered after %2 tries: %3")
              .arg(current_->what)
              .arg(current_->tries)
              .arg(pingFailureReason(result, current_->url)));
    current_.reset();
}

} // namespace tillora
