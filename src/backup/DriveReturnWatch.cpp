#include "DriveReturnWatch.h"

#include "AsyncTask.h"
#include "DirectorySet.h"
#include "Platform.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace tillora {

namespace {

// What answers for a network drive: its share when the selector names one ("z:
// [\\server\share]"), else the drive's root.
QString probePath(const QString& selector) {
    static const QRegularExpression share(QStringLiteral(R"(\[(\\\\[^\]]+)\])"));
    const QRegularExpressionMatch match = share.match(selector);
    return match.hasMatch() ? match.captured(1) : driveOfSelector(selector) + u'\\';
}

} // namespace

DriveReturnWatch::DriveReturnWatch(const Platform& platform, QObject* parent)
    : QObject(parent)
    , platform_(platform) {
}

void DriveReturnWatch::follow(const BackupRunResult& result, const BackupSetupSnapshot& setup,
                              const QDateTime& due) {
    const bool backupMissing = result.outcome == RunOutcome::NetworkFailed ||
                               (result.outcome == RunOutcome::DestinationUnavailable &&
                                result.destinationFault == DestinationFault::Missing);
    watching_ = backupMissing || result.outcome == RunOutcome::SourceUnavailable;
    if (!watching_)
        return;
    drive_ = backupMissing ? Drive::Backup : Drive::Source;
    selector_ = backupMissing ? setup.destinationDriveText() : setup.sourceDriveText();
    network_ = backupMissing && setup.folderEnabled(NetworkDriveRow);
    due_ = due;
    failedOn_ = result.started.date();
    probeAnswer_.reset();
}

bool DriveReturnWatch::driveIsBack() {
    if (!watching_)
        return false;
    return network_ ? networkDriveIsBack() : isDriveConnected(platform_, selector_);
}

bool DriveReturnWatch::networkDriveIsBack() {
    if (const std::optional<bool> answer = std::exchange(probeAnswer_, std::nullopt))
        return *answer;
    // A probe still out is a share that does not answer: no second one beside it.
    if (probing_)
        return false;
    probing_ = true;
    const QString path = platform_.nativePath(probePath(selector_));
    const auto sent = std::chrono::steady_clock::now();
    runInBackground(
        this, [path] { return QFileInfo(path).isDir(); },
        [this, sent](bool there) {
            probing_ = false;
            if (std::chrono::steady_clock::now() - sent <= ProbeLimit)
                probeAnswer_ = there;
        });
    return false;
}

} // namespace tillora
