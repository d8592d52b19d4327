#include "BackupEngine.h"

#include "BackupVersions.h"
#include "Clock.h"
#include "DatePictures.h"
#include "Folders.h"
#include "NativeFiles.h"
#include "OtherFolders.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "Prompts.h"
#include "RunWords.h"
#include "VerifySlices.h"

#include <QDir>
#include <QHash>
#include <QTemporaryFile>
#include <QThread>

#include <climits>
#include <future>
#include <memory>
#include <thread>
#include <unordered_set>

namespace tillora {

namespace fs = std::filesystem;

namespace {

// The machine-wide lock every backup run holds, whichever user of the PC started it.
const QString MachineRunLock = QStringLiteral("tillora-backup-run");

// A flush still going after this long counts as failed (a drive that stopped answering).
constexpr auto FlushWaitLimit = std::chrono::minutes(30);

// How often a wait for another thread looks whether the run was cancelled.
constexpr auto CancelLook = std::chrono::milliseconds(50);

// Waits for `answer` up to `limit`, giving up early when `cancelled` turns true.
template <typename T>
bool waitFor(const std::future<T>& answer, std::chrono::milliseconds limit,
             const std::atomic<bool>& cancelled) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto left = end - std::chrono::steady_clock::now();
        if (left <= left.zero())
            return answer.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        if (answer.wait_for(std::min<std::chrono::steady_clock::duration>(left, CancelLook)) ==
            std::future_status::ready)
            return true;
        if (cancelled.load())
            return false;
    }
}

// Flushes one file system on a thread of its own, so a drive that stopped answering
// costs the run its limit, not the program: after a large first run onto a slow drive
// the flush can take a minute.
bool flushWithLimit(Platform& platform, const QString& windowsPath) {
    auto flushed = std::make_shared<std::promise<bool>>();
    std::future<bool> answer = flushed->get_future();
    std::thread([flushed, &platform, windowsPath] {
        flushed->set_value(platform.flushFileSystem(windowsPath));
    }).detach();
    return answer.wait_for(FlushWaitLimit) == std::future_status::ready && answer.get();
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
            removeFile(folder / name);
            continue;
        }
        names.add(name);
    }
    for (const fs::path& name : listing.folders)
        names.add(name);
    return names;
}

} // namespace

BackupEngine::BackupEngine(BackupSetupAccess& setup, BackupProgressView& view, Platform& platform,
                           const Clock& clock, Prompts& prompts, const ProgramValues& values,
                           std::function<NetConnectResult()> reconnect)
    : setup_(setup)
    , view_(view)
    , platform_(platform)
    , clock_(clock)
    , prompts_(prompts)
    , liveValues_(values)
    , reconnect_(std::move(reconnect)) {
    QObject::connect(
        &remaps_, &RemapRequests::requested, &remaps_, [this] { answerRemap(); },
        Qt::QueuedConnection);
}

BackupRunResult BackupEngine::RunBackup(Trigger trigger) {
    if (auto ended = prepare(trigger))
        return *ended;
    return runPrepared();
}

BackupRunResult BackupEngine::refusal(Trigger trigger, Outcome outcome) const {
    BackupRunResult result;
    result.trigger = trigger;
    result.outcome = outcome;
    result.started = clock_.now();
    result.finished = result.started;
    result.destinationRoot = BackupPaths(setup_.snapshot()).destinationRoot();
    return result;
}

std::optional<BackupRunResult> BackupEngine::prepare(Trigger trigger) {
    // Two runs would copy over each other's files.
    if (running_)
        return refusal(trigger, Outcome::AlreadyRunning);
    takeSetup();
    running_ = true;
    cancelled_ = false;
    trigger_ = trigger;
    values_ = liveValues_;

    view_.showBusy(true);
    if (confirmOnceADay(trigger) && confirmSameDrive(trigger))
        return std::nullopt;
    BackupRunResult declined = refusal(trigger, Outcome::Declined);
    view_.showBusy(false);
    running_ = false;
    return declined;
}

BackupRunResult BackupEngine::runPrepared() {
    BackupRunResult result = copyRun();
    view_.showBusy(false);
    result.finished = clock_.now();
    running_ = false;
    return result;
}

BackupRunResult BackupEngine::copyRun() {
    BackupRunResult result;
    result.trigger = trigger_;
    result.started = clock_.now();
    driveMove_.reset();
    driveToKeep_.reset();
    takeSetup();
    result.destinationRoot = BackupPaths(setupNow_).destinationRoot();
    const auto destinationFailed = [&](DestinationFault fault) {
        result.destinationFault = fault;
        return Outcome::DestinationUnavailable;
    };
    // Held to the end of the run, on this thread.
    const std::unique_ptr<InstanceLock> machineRun = claimMachineRun(result);
    if (!machineRun)
        return result;
    const std::unique_ptr<SystemHold> awake = platform_.keepAwake();
    result.outcome = [&] {
        if (!driveConnected(setupNow_.sourceDriveText(), Outcome::SourceUnavailable, result))
            return Outcome::SourceUnavailable;
        if (setupNow_.folderEnabled(NetworkDriveRow) && !reconnectNetworkDrive())
            return isCancelled() ? Outcome::Cancelled : Outcome::NetworkFailed;
        // Checked after the re-mapping, which is what brings a network drive back.
        takeSetup();
        if (!findBackupDrive(result))
            return destinationFailed(DestinationFault::OtherDrive);
        if (!driveConnected(setupNow_.destinationDriveText(), Outcome::DestinationUnavailable,
                            result))
            return destinationFailed(DestinationFault::Missing);
        noteRefusedFolderNames(result);
        const QString root = BackupPaths(setupNow_).destinationRoot();
        if (!prepareDestinationRoot(root))
            return destinationFailed(DestinationFault::NotWritable);
        beginCopying(root);
        copyDirectorySet(result);
        // A cancelled run leaves every file whole and the last date as it was.
        if (isCancelled())
            return Outcome::Cancelled;
        pruneVersions(result);
        if (!flushDestination(result))
            return destinationFailed(DestinationFault::FlushFailed);
        if (!verifyCopies(result)) {
            return isCancelled() ? Outcome::Cancelled
                                 : destinationFailed(DestinationFault::FlushFailed);
        }
        recordLastDate();
        keepDriveIdentity(result);
        return result.problems.isEmpty() ? Outcome::Completed : Outcome::CompletedWithProblems;
    }();
    return result;
}

// The settings are copied afresh at every step, so a change made during a run applies
// from the next step on.
void BackupEngine::takeSetup() {
    setupAsRead_ = setup_.snapshot();
    setupNow_ = withUnsafeFoldersOff(setupAsRead_);
    // The backup drive found at another letter stays where it was found for the run,
    // unless the owner chose another drive meanwhile.
    if (driveMove_ && driveOfSelector(setupNow_.destinationDriveText())
                              .compare(driveMove_->from, Qt::CaseInsensitive) == 0)
        setupNow_.settings.destinationDrive = driveMove_->toText;
}

// Two users logged on to the PC share its store and its backup drive: a second run at the
// same time would copy over the first one's files.
std::unique_ptr<InstanceLock> BackupEngine::claimMachineRun(BackupRunResult& result) {
    std::unique_ptr<InstanceLock> held = platform_.claimMachineWide(MachineRunLock);
    if (held)
        return held;
    result.outcome = Outcome::RunningElsewhere;
    result.reason = QStringLiteral(
        "The backup was not done now: another user logged on to this PC is making a backup "
        "at the moment. That backup goes on; this one is tried again at the next start time.");
    view_.announceFailure(QStringLiteral("Backup Not Started"), result.reason);
    return nullptr;
}

// Windows gives a USB drive the first free letter when it arrives, so the backup drive may
// be back at another letter, and another drive at its own: the drive is known by its
// volume serial number, as the last run onto it found it. False when a different drive
// holds the letter and the backup drive is nowhere: that drive is never written to.
bool BackupEngine::findBackupDrive(BackupRunResult& result) {
    const QString letter = driveOfSelector(setupNow_.destinationDriveText()).toLower();
    if (setupNow_.folderEnabled(NetworkDriveRow))
        return true; // a share is reached by its path, whatever its volume
    const std::optional<quint32> here = platform_.volumeSerial(letter);
    const BackupDriveIdentity known = loadDriveIdentity(platform_, values_);
    const bool knownHere =
        !known.serial.isEmpty() && known.letter.compare(letter, Qt::CaseInsensitive) == 0;
    // As kept by the file; an owner's edit may have changed the letters' case.
    const auto isKnown = [&](quint32 serial) {
        return volumeSerialText(serial).compare(known.serial, Qt::CaseInsensitive) == 0;
    };
    if (!knownHere || (here && isKnown(*here))) {
        // The first run onto this drive, or the drive where it was: it is what the letter holds.
        if (here)
            driveToKeep_ = BackupDriveIdentity{letter, volumeSerialText(*here)};
        return true;
    }
    for (const QString& text : platform_.drives()) {
        const QString other = driveOfSelector(text).toLower();
        const std::optional<quint32> serial =
            other == letter ? std::nullopt : platform_.volumeSerial(other);
        if (!serial || !isKnown(*serial))
            continue;
        driveMove_ = DriveMove{letter, text};
        takeSetup();
        result.destinationRoot = BackupPaths(setupNow_).destinationRoot();
        result.notes.append(QStringLiteral("The backup drive is now %1 (it was %2): this backup "
                                           "went to %3.")
                                .arg(other, letter, result.destinationRoot));
        return true;
    }
    if (!here)
        return true; // no drive at the letter, or one that cannot tell: the letter decides
    result.reason =
        QStringLiteral("The backup was not done: the drive at %1 is not the backup drive (its "
                       "volume serial number is %2, the backup drive's is %3), and the backup "
                       "drive was not found at another letter. Nothing was written to %1. "
                       "Please connect the backup drive. If the drive at %1 is a new backup "
                       "drive, choose it once more in the backup drive box.")
            .arg(letter, volumeSerialText(*here), known.serial);
    view_.announceFailure(QStringLiteral("Backup Failed"), result.reason);
    return false;
}

// The drive the backup went to, as it was found, for the next run to know it by.
void BackupEngine::keepDriveIdentity(BackupRunResult& result) {
    if (!driveToKeep_ || loadDriveIdentity(platform_, values_) == *driveToKeep_)
        return;
    const SaveResult saved = saveDriveIdentity(platform_, values_, *driveToKeep_);
    if (!saved.ok)
        result.notes.append(QStringLiteral("The backup drive's serial number could not be kept "
                                           "in %1: %2")
                                .arg(BackupOptions::windowsPath(values_), saved.reason));
}

bool BackupEngine::doneToday() const {
    const QString last = setupNow_.lastBackupText();
    if (last == QLatin1String("Never"))
        return false;
    const auto date = parseShortDate(last);
    return date && *date == clock_.now().date();
}

bool BackupEngine::confirmOnceADay(Trigger trigger) {
    // The question is the operator's: a scheduled or catch-up run is unattended, and a
    // backup made during the day leaves the evening's sales for the night's run.
    if (trigger != Trigger::BackupNow || !doneToday())
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
    const QString source = driveOfSelector(setupNow_.sourceDriveText());
    const QString destination = driveOfSelector(setupNow_.destinationDriveText());
    if (source.compare(destination, Qt::CaseInsensitive) != 0)
        return true;
    const PromptAnswer answer = prompts_.ask(
        {PromptIcon::None, PromptButtons::YesNo, QStringLiteral("Same Drive Selected"),
         QStringLiteral(
             "You have chosen the source drive as the destination drive, do you want to continue?"),
         PromptAnswer::Yes});
    return answer == PromptAnswer::Yes;
}

// The re-mapping shows a window, so it runs on the engine's own thread; a run on another
// waits for it up to its limit. A re-mapping that never reports is as good as a failed one.
bool BackupEngine::reconnectNetworkDrive() {
    if (!reconnect_)
        return false;
    if (QThread::currentThread() == remaps_.thread())
        return reconnect_().connected;
    auto reported = std::make_shared<std::promise<NetConnectResult>>();
    std::future<NetConnectResult> answer = reported->get_future();
    {
        const std::lock_guard lock(remapLock_);
        pendingRemap_ = reported;
    }
    Q_EMIT remaps_.requested();
    return waitFor(answer, networkWaitLimit_, cancelled_) && answer.get().connected;
}

void BackupEngine::answerRemap() {
    std::shared_ptr<std::promise<NetConnectResult>> reported;
    {
        const std::lock_guard lock(remapLock_);
        reported = std::move(pendingRemap_);
    }
    if (reported)
        reported->set_value(reconnect_());
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
                  .arg(drive, BackupPaths(setupNow_).destinationRoot());
    result.reason = text;
    view_.announceFailure(QStringLiteral("Backup Failed"), text);
    return false;
}

void BackupEngine::noteRefusedFolderNames(BackupRunResult& result) const {
    for (const int row : refusedFolderRows(setupAsRead_)) {
        result.notes.append(QStringLiteral("The folder name \"%1\" of row %2 leads out of the "
                                           "backup folder; that folder was not backed up.")
                                .arg(setupAsRead_.folderName(row))
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
    run_.readBack = std::make_unique<ReadBackCheck>(
        platform_, loadVerifyPosition(platform_, values_), [this] { return !isCancelled(); });
    const fs::path rootFolder = toFsPath(platform_.nativePath(root));
    for (const fs::path& name : listFolder(rootFolder).files) {
        if (displayName(name).startsWith(QLatin1String(".tlra-probe-")))
            removeFile(rootFolder / name);
    }
}

void BackupEngine::copyDirectorySet(BackupRunResult& result) {
    for (int row = FirstProductRow; row <= LastProductRow && !isCancelled(); ++row) {
        takeSetup();
        if (!setupNow_.folderEnabled(row))
            continue;
        for (const BackupStep& step : BackupDirectorySet()) {
            if (step.row != row || isCancelled())
                continue;
            takeSetup();
            const BackupPaths paths(setupNow_);
            const QString source = paths.sourceFolder(step);
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
            copyStep(source, paths.destinationFolder(step), result);
        }
        if (!isCancelled())
            copyOrNoteOtherFolders(row, result);
        // The card-payment history has always travelled with the gift-card row.
        if (row == LastProductRow && !isCancelled()) {
            takeSetup();
            copyStep(paydexHistorySource(), BackupPaths(setupNow_).paydexHistoryDestination(),
                     result);
        }
    }
    noteWhatWasNotWhole(result);
}

// A folder the directory set does not name (a store's own "data\big") is copied when the
// owner asked for it, to the same place below the product's backup folder; else it is
// told, so that a run never leaves files out without a word.
void BackupEngine::copyOrNoteOtherFolders(int row, BackupRunResult& result) {
    takeSetup();
    // An empty name is the drive's top, and the whole drive is not the product's.
    if (setupNow_.folderName(row).isEmpty())
        return;
    const BackupPaths paths(setupNow_);
    QString source;
    QString destination;
    QStringList steps;
    for (const BackupStep& step : BackupDirectorySet()) {
        if (step.row != row)
            continue;
        if (*step.sourceSuffix != '\0') {
            steps.append(QLatin1String(step.sourceSuffix));
        } else {
            source = paths.sourceFolder(step);
            destination = paths.destinationFolder(step);
        }
    }
    const QList<OtherFolder> found = otherFolders(toFsPath(platform_.nativePath(source)), steps);
    for (const OtherFolder& folder : found) {
        if (isCancelled())
            return;
        if (run_.options.includeOtherFolders) {
            copyStep(source + folder.suffix, destination + folder.suffix, result);
            continue;
        }
        // Told by branch: the walk gives the folders of one branch one after another.
        const QString branch = source + folder.branch;
        if (result.foldersLeftOut.isEmpty() || result.foldersLeftOut.last().path != branch)
            result.foldersLeftOut.append({branch, 0});
        result.foldersLeftOut.last().files += folder.files;
    }
}

void BackupEngine::noteWhatWasNotWhole(BackupRunResult& result) const {
    if (!result.foldersLeftOut.isEmpty())
        result.notes.append(foldersLeftOutInWords(result.foldersLeftOut));
    const qint64 changed = run_.changedWhileCopied;
    if (changed > 0) {
        result.notes.append(QStringLiteral("%1 changed while %2 copied; copied again next run")
                                .arg(filesInWords(changed), changed == 1
                                                                ? QStringLiteral("it was")
                                                                : QStringLiteral("they were")));
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

    const OpenFolder sourceFiles(sourceFolder);
    const OpenFolder backupFiles(destinationFolder);
    std::vector<FileFacts> facts;
    facts.reserve(files.size());
    qint64 stepBytes = 0;
    for (const fs::path& name : files) {
        facts.push_back(sourceFiles.factsOf(name, true));
        if (facts.back().isFile())
            stepBytes += facts.back().size;
    }
    // The bar counts the step's bytes, in units that fit its int range.
    stepUnit_ = stepBytes / INT_MAX + 1;
    stepDone_ = 0;
    shownValue_ = -1;
    if (!files.empty())
        view_.setProgressMaximum(int(std::max<qint64>(1, stepBytes / stepUnit_)));

    run_.readBackFolder =
        run_.readBack->addFolder({source, destination, sourceFolder, destinationFolder,
                                  VerifySlices::folderKey(pathBelowBackup(destination))});
    StepVersions versions{
        platform_,
        run_.options.keepVersionsDays > 0 ? versionFolderFor(destination, run_.day) : QString(),
        std::nullopt};
    ChunkedFileCopy copier(&platform_, [this](qint64 written) {
        showProgress(stepDone_ + written);
        return !isCancelled();
    });
    copier.setObserver(copyObserver_);
    copier.setHashing(true);
    for (std::size_t i = 0; i < files.size() && !isCancelled(); ++i) {
        const fs::path& name = files[i];
        const fs::path backupName = present.spellingOf(name);
        copyOneFile(copier, source, name, {sourceFolder / name, facts[i]},
                    {destinationFolder / backupName, backupFiles.factsOf(backupName, false)},
                    versions, result);
        if (facts[i].isFile())
            stepDone_ += facts[i].size;
        showProgress(stepDone_);
    }
}

void BackupEngine::showProgress(qint64 done) {
    const int value = int(done / stepUnit_);
    if (value == shownValue_)
        return;
    shownValue_ = value;
    view_.setProgressValue(value);
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
        run_.readBack->addUnchanged(run_.readBackFolder, name, target.path.filename(), sourceFacts);
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
    if (copied.stopped)
        return false; // cancelled: the backup copy is as it was, and no problem of the run
    if (!copied) {
        result.problems.append({path, copied.reason});
        return false;
    }
    ++result.filesCopied;
    result.bytesCopied += copied.bytes;
    if (copied.hash) {
        run_.readBack->addWritten(run_.readBackFolder, name, target.path.filename(), copied.bytes,
                                  *copied.hash);
    }
    if (copied.sourceChanged)
        ++run_.changedWhileCopied;
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

// Before a file is written: when the drive has less than twice its size free, damaged
// copies go, then version folders one by one (day folders before weekly before monthly,
// oldest first), before the copy can fail for want of room.
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
            if (*run_.roomLeft >= wanted)
                break;
            const QString drive = run_.destination.left(2);
            // Damaged copies are kept as evidence only, so they go before any version.
            if (!std::exchange(run_.damagedCopiesRemoved, true) &&
                removeDamagedCopies(platform_, drive) > 0)
                continue;
            if (!removeVersionsForRoom(platform_, drive, run_.day, run_.options.versionLimits()))
                break;
            ++result.versionsPruned;
        }
    }
    *run_.roomLeft -= bytes;
}

// The oldest day left is kept with the result, so the owner learns how far back the drive
// goes without anything reading the drive again.
void BackupEngine::pruneVersions(BackupRunResult& result) {
    for (const QString& drive : std::as_const(run_.drives)) {
        result.versionsPruned +=
            removeExpiredVersions(platform_, drive, run_.day, run_.options.versionLimits());
        const QDate oldest = oldestVersionDay(platform_, drive);
        if (oldest.isValid() && (!result.oldestVersion.isValid() || oldest < result.oldestVersion))
            result.oldestVersion = oldest;
    }
}

// The copied files are on the disk, not only in the system's cache, before the run
// counts as done: a power cut after the date is written must not leave a backup that
// was never written.
bool BackupEngine::flushDestination(BackupRunResult& result) {
    for (const QString& drive : std::as_const(run_.drives)) {
        const QString root = drive + QStringLiteral("\\TLRAbackup\\");
        if (flushWithLimit(platform_, root))
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
    // In the form the file holds: a store whose locale changed still reads its date.
    setup_.recordLastDate(storedDate(clock_.now().date(), setup_.snapshot().lastBackupText()));
}

} // namespace tillora
