#include "BackupEngine.h"

#include "BackupVersions.h"
#include "Clock.h"
#include "DatePictures.h"
#include "Folders.h"
#include "NativeFiles.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "Prompts.h"
#include "Waiting.h"

#include <QCoreApplication>
#include <QDir>
#include <QHash>
#include <QTemporaryFile>

#include <atomic>
#include <memory>
#include <thread>
#include <unordered_set>

namespace tillora {

namespace fs = std::filesystem;

namespace {

// Events are handled at least this often while a large file is copied.
constexpr qint64 EventIntervalMs = 10;

// A flush still going after this long counts as failed (a drive that stopped answering).
constexpr auto FlushWaitLimit = std::chrono::minutes(30);

// Flushes one file system on a thread of its own while the event loop keeps running:
// after a large first run onto a slow drive that can take a minute.
bool flushWhileAlive(Platform& platform, const QString& windowsPath) {
    auto state = std::make_shared<std::atomic<int>>(-1); // -1 running, 0 failed, 1 flushed
    std::thread([state, &platform, windowsPath] {
        state->store(platform.flushFileSystem(windowsPath) ? 1 : 0);
    }).detach();
    waitUntil([&] { return state->load() >= 0; }, FlushWaitLimit, std::chrono::milliseconds(5));
    return state->load() == 1;
}

// The names already in one backup folder, so a file is replaced under the spelling it
// has there (the source file system may spell it in another case). A name that is not
// valid text is matched only as it stands.
class BackupNames {
public:
    void add(const fs::path& name) {
        exact_.insert(name.native());
        if (nameIsText(name))
            byLowerCase_.insert(displayName(name).toLower(), name);
    }
    fs::path spellingOf(const fs::path& sourceName) const {
        if (exact_.count(sourceName.native()) || !nameIsText(sourceName))
            return sourceName;
        return byLowerCase_.value(displayName(sourceName).toLower(), sourceName);
    }

private:
    std::unordered_set<fs::path::string_type> exact_;
    QHash<QString, fs::path> byLowerCase_;
};

// Lists a backup folder, removing the temporary files an interrupted run left there.
BackupNames backupNames(const fs::path& folder) {
    BackupNames names;
    const FolderListing listing = listFolder(folder);
    for (const fs::path& name : listing.files) {
        if (ChunkedFileCopy::isPartialName(displayName(name))) {
            std::error_code ignored;
            fs::remove(folder / name, ignored);
            continue;
        }
        names.add(name);
    }
    for (const fs::path& name : listing.folders)
        names.add(name);
    return names;
}

// "c:\Tillora\data" and "a.dat" -> "c:\Tillora\data\a.dat", as the operator sees it.
QString windowsFilePath(const QString& folder, const fs::path& name) {
    return folder.endsWith(u'\\') ? folder + displayName(name) : folder + u'\\' + displayName(name);
}

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

    const auto destinationFailed = [&](DestinationFault fault) {
        result.destinationFault = fault;
        return Outcome::DestinationUnavailable;
    };
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
            return destinationFailed(DestinationFault::Missing);
        noteRefusedFolderNames(result);
        if (!prepareDestinationRoot(paths_.destinationRoot()))
            return destinationFailed(DestinationFault::NotWritable);
        beginCopying(paths_.destinationRoot());
        copyDirectorySet(result);
        pruneVersions(result);
        if (!flushDestination(result))
            return destinationFailed(DestinationFault::FlushFailed);
        recordLastDate();
        return result.problems.isEmpty() ? Outcome::Completed : Outcome::CompletedWithProblems;
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

// The options are read afresh for every run. Leftovers of a run that was ended before
// its write probe was cleaned up go now.
void BackupEngine::beginCopying(const QString& root) {
    run_ = RunState{};
    run_.options = BackupOptions::load(platform_, values_);
    run_.day = clock_.now().date();
    const fs::path rootFolder = toFsPath(platform_.nativePath(root));
    for (const fs::path& name : listFolder(rootFolder).files) {
        if (displayName(name).startsWith(QLatin1String(".tlra-probe-"))) {
            std::error_code ignored;
            fs::remove(rootFolder / name, ignored);
        }
    }
}

void BackupEngine::copyDirectorySet(BackupRunResult& result) {
    for (int row = FirstProductRow; row <= LastProductRow; ++row) {
        if (!controls_.folderEnabled(row))
            continue;
        for (const BackupStep& step : BackupDirectorySet()) {
            if (step.row != row)
                continue;
            const QString source = paths_.sourceFolder(step);
            // A step folder that is missing is normal (many stores lack some); a ticked
            // product whose own folder is missing is worth a word.
            if (*step.sourceSuffix == '\0' &&
                fileFacts(toFsPath(platform_.nativePath(source)), true).kind ==
                    FileFacts::Kind::Missing) {
                result.notes.append(
                    QStringLiteral("%1 does not exist: its box is ticked, but there was "
                                   "nothing to copy from it")
                        .arg(source));
            }
            copyStep(source, paths_.destinationFolder(step), result);
        }
        // The card-payment history has always travelled with the gift-card row.
        if (row == LastProductRow)
            copyStep(paydexHistorySource(), paths_.paydexHistoryDestination(), result);
    }
}

void BackupEngine::copyStep(const QString& source, const QString& destination,
                            BackupRunResult& result) {
    ensureFolder(platform_, destination);
    const QString drive = destination.left(2).toLower();
    if (!run_.drives.contains(drive))
        run_.drives.append(drive);
    run_.destination = destination;
    run_.roomLeft.reset();
    run_.roomUnknown = false;
    CopyFolderFiles(source, destination, result);
}

// Where the earlier copies of one backup folder go today, found the first time one is.
struct BackupEngine::StepVersions {
    const Platform& platform;
    QString folder; // empty when no versions are kept
    std::optional<fs::path> native;

    fs::path pathFor(const fs::path& name) {
        if (folder.isEmpty())
            return {};
        if (!native)
            native = toFsPath(platform.nativePath(folder));
        return *native / name;
    }
};

void BackupEngine::CopyFolderFiles(const QString& source, const QString& destination,
                                   BackupRunResult& result) {
    view_.showStep(source, destination);

    const fs::path sourceFolder = toFsPath(platform_.nativePath(source));
    const fs::path destinationFolder = toFsPath(platform_.nativePath(destination));
    const FolderListing listing = listFolder(sourceFolder);
    if (!listing.readable) {
        // A folder that is there and cannot be read would leave its files out unseen.
        if (fileFacts(sourceFolder, true).kind != FileFacts::Kind::Missing)
            result.problems.append(
                {source, QStringLiteral("the folder cannot be read: %1").arg(listing.reason)});
        return;
    }
    // Hidden and system files are data too: a backup leaves nothing out.
    const std::vector<fs::path>& files = listing.files;
    const BackupNames present = backupNames(destinationFolder);

    const auto count = qsizetype(files.size());
    if (count - 1 >= 1)
        view_.setProgressMaximum(int(count - 1));

    StepVersions versions{
        platform_,
        run_.options.keepVersionsDays > 0 ? versionFolderFor(destination, run_.day) : QString(),
        std::nullopt};
    ChunkedFileCopy copier(&platform_, [this] { keepWindowAlive(); });
    copier.setObserver(copyObserver_);
    const OpenFolder sourceFiles(sourceFolder);
    const OpenFolder backupFiles(destinationFolder);
    for (qsizetype i = 0; i < count; ++i) {
        const fs::path& name = files[std::size_t(i)];
        const fs::path backupName = present.spellingOf(name);
        const bool wrote = copyOneFile(
            copier, source, name, {sourceFolder / name, sourceFiles.factsOf(name, true)},
            {destinationFolder / backupName, backupFiles.factsOf(backupName, false)}, versions,
            result);
        view_.setProgressValue(int(i));
        if (wrote)
            processEventsNow();
        else
            keepWindowAlive();
    }
}

// Copies one file unless its backup copy is already the same; false when nothing was
// written. Every file that could not be copied is a problem of the run; its earlier
// backup stays as it was.
bool BackupEngine::copyOneFile(ChunkedFileCopy& copier, const QString& sourceFolder,
                               const fs::path& name, const FileAt& source, const FileAt& target,
                               StepVersions& versions, BackupRunResult& result) {
    const FileFacts& sourceFacts = source.facts;
    const FileFacts& targetFacts = target.facts;
    const bool unchanged = ChunkedFileCopy::looksUnchanged(sourceFacts, targetFacts);
    if (unchanged && run_.options.skipUnchanged) {
        ChunkedFileCopy::matchPermissions(sourceFacts, targetFacts, target.path);
        ++result.filesUnchanged;
        return false;
    }
    if (sourceFacts.isFile())
        makeRoomFor(sourceFacts.size, result);
    // Only a backup copy that differs from the source is worth keeping as a version.
    const fs::path keepAt =
        targetFacts.isFile() && !unchanged ? versions.pathFor(target.path.filename()) : fs::path();
    const CopyResult copied =
        copier.copy(source.path, sourceFacts, target.path, targetFacts, keepAt);
    const QString path = windowsFilePath(sourceFolder, name);
    if (!copied) {
        result.problems.append({path, copied.reason});
        return false;
    }
    ++result.filesCopied;
    result.bytesCopied += copied.bytes;
    if (copied.earlierCopyKept)
        ++result.versionsKept;
    if (!copied.versionProblem.isEmpty()) {
        result.problems.append(
            {path, QStringLiteral("copied, but the earlier backup copy could not be kept in "
                                  "TLRAversions: %1")
                       .arg(copied.versionProblem)});
    }
    return true;
}

// Before a file is written: when the drive has less than twice its size free, the
// oldest version folders go, one by one, before the copy can fail for want of room.
// The free space is asked once per step and counted down after that.
void BackupEngine::makeRoomFor(qint64 bytes, BackupRunResult& result) {
    if (run_.roomUnknown)
        return;
    const qint64 wanted = 2 * bytes;
    if (!run_.roomLeft || *run_.roomLeft < wanted) {
        for (;;) {
            const auto space = platform_.diskSpace(run_.destination);
            if (!space) {
                run_.roomUnknown = true;
                return;
            }
            run_.roomLeft = qint64(space->callerFree);
            if (*run_.roomLeft >= wanted ||
                !removeOldestVersions(platform_, run_.destination.left(2), run_.day))
                break;
            ++result.versionsPruned;
        }
    }
    *run_.roomLeft -= bytes;
}

void BackupEngine::pruneVersions(BackupRunResult& result) {
    for (const QString& drive : std::as_const(run_.drives))
        result.versionsPruned +=
            removeVersionsOlderThan(platform_, drive, run_.day, run_.options.keepVersionsDays);
}

// The copied files are on the disk, not only in the system's cache, before the run
// counts as done: a power cut after the date is written must not leave a backup that
// was never written.
bool BackupEngine::flushDestination(BackupRunResult& result) {
    for (const QString& drive : std::as_const(run_.drives)) {
        const QString root = drive + QStringLiteral("\\TLRAbackup\\");
        if (flushWhileAlive(platform_, root))
            continue;
        result.reason = QStringLiteral("the backup drive %1 reported an error while the copied "
                                       "files were written to it")
                            .arg(drive);
        view_.announceFailure(
            QStringLiteral("Backup Failed"),
            QStringLiteral("The backup may be incomplete: %1. Please check the backup drive. "
                           "The backup will be tried again at the next start time.")
                .arg(result.reason));
        return false;
    }
    return true;
}

void BackupEngine::recordLastDate() {
    controls_.setLastBackupText(shortDate(clock_.now().date()));
    controls_.saveBackupSettings();
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
