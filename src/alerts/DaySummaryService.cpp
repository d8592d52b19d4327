#include "DaySummaryService.h"

#include "AlertDispatcher.h"
#include "AsyncTask.h"
#include "Clock.h"
#include "FileSave.h"

#include <algorithm>

namespace tillora {

DaySummaryService::DaySummaryService(
    std::unique_ptr<DaySummarySources> sources,
    std::function<std::pair<DaySummarySettings, QString>()> settings,
    std::function<void(const SalesReading&)> keepReading, AlertDispatcher& dispatcher,
    const Clock& clock, QString markPath, QObject* parent)
    : QObject(parent)
    , sources_(std::move(sources))
    , settings_(std::move(settings))
    , keepReading_(std::move(keepReading))
    , dispatcher_(dispatcher)
    , clock_(clock)
    , markPath_(std::move(markPath)) {
    worker_.setMaxThreadCount(1);
    checkTimer_.setInterval(CheckInterval);
    connect(&checkTimer_, &QTimer::timeout, this, &DaySummaryService::checkTime);
}

DaySummaryService::~DaySummaryService() {
    worker_.waitForDone();
}

void DaySummaryService::start() {
    checkTimer_.start();
}

QDate DaySummaryService::sentOn() const {
    const auto mark = readWholeFile(markPath_);
    const QDate marked =
        mark ? QDate::fromString(QString::fromLatin1(mark->trimmed()), Qt::ISODate) : QDate();
    return std::max(marked, sentOn_);
}

void DaySummaryService::checkTime() {
    if (composing_)
        return;
    const QDateTime now = clock_.now();
    const auto [settings, lastReportTime] = settings_();
    const auto at = settings.sendTime(lastReportTime);
    if (!settings.enabled || !at || now.time() < *at || sentOn() >= now.date())
        return;
    composing_ = true;
    compose([this](const DaySummary& summary) {
        composing_ = false;
        // The outbox keeps the summary from here on. A mark that cannot be written is
        // kept in memory: the summary goes out, once, and a restart may send it again.
        sentOn_ = summary.reading.moment.date();
        if (const SaveResult marked =
                saveFileAtomically(markPath_, sentOn_.toString(Qt::ISODate).toLatin1());
            !marked)
            qWarning("tillora-backup: the day summary's mark was not written: %s",
                     qPrintable(marked.reason));
        dispatcher_.dispatch(summary.message);
        Q_EMIT dispatched(summary.message);
    });
}

void DaySummaryService::sendTestSummary(std::function<void(const QList<ChannelOutcome>&)> done) {
    const QDateTime now = clock_.now();
    runInBackground(
        this, [sources = sources_.get(), now] { return DaySummaryComposer(*sources).compose(now); },
        [this, done = std::move(done)](const DaySummary& summary) {
            dispatcher_.sendNow(summary.message, done);
        },
        worker_);
}

// The summary's own reading is kept with the hourly ones: next week compares with it.
void DaySummaryService::compose(std::function<void(const DaySummary&)> then) {
    const QDateTime now = clock_.now();
    runInBackground(
        this,
        [sources = sources_.get(), keep = keepReading_, now] {
            DaySummary summary = DaySummaryComposer(*sources).compose(now);
            if (summary.reading.sales || summary.reading.discounts)
                keep(summary.reading);
            return summary;
        },
        std::move(then), worker_);
}

} // namespace tillora
