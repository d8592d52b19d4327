#include "BackupEngine.h"

#include "ChunkedFileCopy.h"
#include "Clock.h"
#include "DatePictures.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "Prompts.h"
#include "Waiting.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QTemporaryFile>

namespace tillora {

namespace {

// Events are handled at least this often while a large file is copied.
constexpr qint64 EventIntervalMs = 10;

class RunningFlag {
public:
    explicit RunningFlag(bool& flag)
        : flag_(flag) {
        flag_ = true;
    }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& flag_;
};

} // namespace

BackupEngine::BackupEngine(BackupControls& controls, BackupProgressView& view, Platform& platform,
                           const Clock& clock, Prompts& prompts, ProgramValues& values,
                           std::function<void()> reconnect)
    : safeControls_(controls)
    , controls_(safeControls_)
    , view_(view)
    , platform_(platform)
    , clock_(clock)
    , prompts_(prompts)
    , values_(values)
    , reconnect_(std::move(reconnect))
    , paths_(safeControls_) {
    sinceEvents_.start();
}

BackupRunResult BackupEngine::RunBackup(Trigger trigger) {
    BackupRunResult result;
    result.trigger = trigger;
    result.started = clock_.now();
    result.destinationRoot = paths_.destinationRoot();
    // Events are processed throughout a run, so "Backup Now" or a second tick can arrive
    // in the middle of one; two runs would copy over each other's files.
    if (running_) {
        result.outcome = Outcome::AlreadyRunning;
        result.finished = result.started;
        return result;
    }
    // The once-a-day question is the operator's; a tick at night that finds the night's
    // backup done just does nothing, and nothing waits for a click.
    if (trigger == Trigger::Scheduled && doneToday()) {
        result.outcome = Outcome::AlreadyDoneToday;
        result.finished = result.started;
        return result;
    }
    const RunningFlag flag(running_);

    view_.showBusy(true);
    processEventsNow();

    result.outcome = [&] {
        if (!confirmOnceADay(trigger) || !confirmSameDrive(trigger))
            return Outcome::Declined;
        if (!driveConnected(controls_.sourceDriveText(), Outcome::SourceUnavailable, result))
            return Outcome::SourceUnavailable;
        if (controls_.folderEnabled(NetworkDriveRow) && !reconnectNetworkDrive())
            return Outcome::NetworkFailed;
        // Checked after the re-mapping, which is what brings a network drive back.
        if (!driveConnected(controls_.destinationDriveText(), Outcome::DestinationUnavailable,
                            result))
            return Outcome::DestinationUnavailable;
        noteRefusedFolderNames(result);
        if (!prepareDestinationRoot(paths_.destinationRoot()))
            return Outcome::DestinationUnavailable;
        copyDirectorySet();
        controls_.setLastBackupText(shortDate(clock_.now().date()));
        controls_.saveBackupSettings();
        return Outcome::Completed;
    }();

    view_.showBusy(false);
    result.finished = clock_.now();
    return result;
}

bool BackupEngine::doneToday() const {
    const QString last = controls_.lastBackupText();
    if (last == QLatin1String("Never"))
        return false;
    const auto date = parseShortDate(last);
    return date && *date == clock_.now().date();
}

bool BackupEngine::confirmOnceADay(Trigger trigger) {
    // A catch-up run makes up a missed night unattended: nobody is there to answer.
    if (trigger == Trigger::CatchUp || !doneToday())
        return true;
    const PromptAnswer answer = prompts_.ask(
        {PromptIcon::None, PromptButtons::YesNo, QStringLiteral("Backup Completed Today"),
         QStringLiteral("The Backup has already been done today. Would you like to do it again ?"),
         PromptAnswer::Yes});
    return answer == PromptAnswer::Yes;
}

bool BackupEngine::confirmSameDrive(Trigger trigger) {
    if (trigger != Trigger::BackupNow)
        return true;
    const QString source = driveOfSelector(controls_.sourceDriveText());
    const QString destination = driveOfSelector(controls_.destinationDriveText());
    if (source.compare(destination, Qt::CaseInsensitive) != 0)
        return true;
    const PromptAnswer answer = prompts_.ask(
        {PromptIcon::None, PromptButtons::YesNo, QStringLiteral("Same Drive Selected"),
         QStringLiteral(
             "You have chosen the source drive as the destination drive, do you want to continue?"),
         PromptAnswer::Yes});
    return answer == PromptAnswer::Yes;
}

bool BackupEngine::reconnectNetworkDrive() {
    values_.NetConnectStatus.clear();
    if (reconnect_)
        reconnect_();
    else
        values_.NetConnectStatus = QStringLiteral("FAIL");
    waitUntil([&] { return !values_.NetConnectStatus.isEmpty(); }, networkWaitLimit_);
    // A re-mapping that never reports is as good as a failed one.
    if (values_.NetConnectStatus.isEmpty())
        values_.NetConnectStatus = QStringLiteral("FAIL");
    return values_.NetConnectStatus != QLatin1String("FAIL");
}

bool BackupEngine::driveConnected(const QString& selectorText, RunOutcome failure,
                                  BackupRunResult& result) {
    if (isDriveConnected(platform_, selectorText))
        return true;
    // Never another drive in its place: a run onto the source drive, or from a drive that
    // is not there, is no backup.
    const QString drive = driveOfSelector(selectorText);
    const QString text =
        failure == Outcome::SourceUnavailable
            ? QStringLiteral("The backup was not done: the source drive %1 is not connected. "
                             "Please reconnect it; the backup will be tried again at the next "
                             "start time.")
                  .arg(drive)
            : QStringLiteral("The backup was not done: the backup drive %1 is not connected, so "
                             "%2 cannot be written. Please reconnect it; the backup will be tried "
                             "again at the next start time.")
                  .arg(drive, paths_.destinationRoot());
    result.reason = text;
    view_.announceFailure(QStringLiteral("Backup Failed"), text);
    return false;
}

void BackupEngine::noteRefusedFolderNames(BackupRunResult& result) const {
    for (const int row : safeControls_.refusedRows()) {
        result.notes.append(QStringLiteral("The folder name \"%1\" of row %2 leads out of the "
                                           "backup folder; that folder was not backed up.")
                                .arg(controls_.folderName(row))
                                .arg(row + 1));
    }
}

bool BackupEngine::prepareDestinationRoot(const QString& root) {
    bool usable = ensureFolder(platform_, root);
    if (usable) {
        // An existing folder on a write-protected or read-only drive passes the check
        // above; a run that cannot write anything must not count as done.
        QTemporaryFile probe(
            QDir(platform_.nativePath(root)).filePath(QStringLiteral(".tlra-probe-XXXXXX")));
        usable = probe.open();
    }
    if (!usable) {
        view_.announceFailure(
            QStringLiteral("Backup Failed"),
            QStringLiteral("The backup was not done: the backup folder %1 cannot be created or "
                           "written. Please check that the backup drive is connected and not "
                           "write-protected. The backup will be tried again at the next start "
                           "time.")
                .arg(root));
    }
    return usable;
}

void BackupEngine::copyDirectorySet() {
    for (int row = FirstProductRow; row <= LastProductRow; ++row) {
        if (!controls_.folderEnabled(row))
            continue;
        for (const BackupStep& step : BackupDirectorySet()) {
            if (step.row == row)
                copyStep(paths_.sourceFolder(step), paths_.destinationFolder(step));
        }
        // The card-payment history has always travelled with the gift-card row.
        if (row == LastProductRow)
            copyStep(paydexHistorySource(), paths_.paydexHistoryDestination());
    }
}

void BackupEngine::copyStep(const QString& source, const QString& destination) {
    ensureFolder(platform_, destination);
    CopyFolderFiles(source, destination);
}

void BackupEngine::CopyFolderFiles(const QString& source, const QString& destination) {
    view_.showStep(source, destination);

    const QString nativeSource = platform_.nativePath(source);
    const QString nativeDestination = platform_.nativePath(destination);
    // Hidden and system files are data too: a backup leaves nothing out.
    const QStringList files =
        QDir(nativeSource).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);

    // Names already in the backup, so a file is replaced under the spelling it has there
    // (the source file system may spell it in another case). Leftovers of an interrupted
    // run go now.
    QSet<QString> exact;
    QHash<QString, QString> byLowerCase;
    const QDir destinationDir(nativeDestination);
    const QStringList present = destinationDir.entryList(QDir::AllEntries | QDir::Hidden |
                                                         QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : present) {
        if (ChunkedFileCopy::isPartialName(name)) {
            QFile::remove(destinationDir.filePath(name));
            continue;
        }
        exact.insert(name);
        byLowerCase.insert(name.toLower(), name);
    }

    const auto count = files.size();
    if (count - 1 >= 1)
        view_.setProgressMaximum(int(count - 1));

    ChunkedFileCopy copier([this] { keepWindowAlive(); });
    const QDir sourceDir(nativeSource);
    for (qsizetype i = 0; i < count; ++i) {
        const QString& name = files[i];
        const QString targetName =
            exact.contains(name) ? name : byLowerCase.value(name.toLower(), name);
        // A file that cannot be copied is skipped; its earlier backup stays as it was.
        copier.copy(sourceDir.filePath(name), destinationDir.filePath(targetName));
        view_.setProgressValue(int(i));
        processEventsNow();
    }
}

void BackupEngine::keepWindowAlive() {
    if (sinceEvents_.elapsed() >= EventIntervalMs)
        processEventsNow();
}

void BackupEngine::processEventsNow() {
    QCoreApplication::processEvents();
    sinceEvents_.restart();
}

} // namespace tillora
