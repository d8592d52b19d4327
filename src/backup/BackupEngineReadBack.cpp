// The end of a run: the backup copies read back from the drive, and repaired.
#include "BackupEngine.h"

#include "BackupVersions.h"
#include "NativeFiles.h"
#include "Platform.h"
#include "RunWords.h"

namespace tillora {

namespace fs = std::filesystem;

namespace {

const QString DamagedAgain =
    QStringLiteral("the backup drive returns different data than was written: replace it");

double seconds(std::chrono::milliseconds time) {
    return double(time.count()) / 1000.0;
}

void addUp(VerifySummary& verify, const ReadBackCheck::Findings& findings) {
    verify.files += findings.files;
    verify.bytes += findings.bytes;
    verify.writtenSeconds += seconds(findings.writtenTime);
    verify.sliceSeconds += seconds(findings.sliceTime);
    if (verify.endedBecause.isEmpty())
        verify.endedBecause = findings.endedBecause;
}

} // namespace

// Every copy written in the run and the night's slice of unchanged ones are read back; a
// damaged copy is set aside and copied again, a source that moved on is copied, and what
// was written again is flushed and read back in its turn. False when the run ends here:
// cancelled, or the second flush failed.
bool BackupEngine::verifyCopies(BackupRunResult& result) {
    view_.showStep(QStringLiteral("Reading back the backup copies"), result.destinationRoot);
    ReadBackCheck& check = *run_.readBack;
    const ReadBackCheck::Findings first =
        check.readBack(std::chrono::minutes(run_.options.verifyMaxMinutes));
    if (isCancelled())
        return false;
    VerifySummary verify;
    addUp(verify, first);
    verify.damaged = qint64(first.damaged.size());

    ChunkedFileCopy copier(&platform_, [this](qint64) { return !isCancelled(); });
    copier.setObserver(copyObserver_);
    copier.setHashing(true);
    std::vector<ReadBackCheck::Copy> again;
    for (const auto& [copies, damaged] :
         {std::pair{&first.damaged, true}, std::pair{&first.sourceChanged, false}}) {
        for (const ReadBackCheck::Copy& copy : *copies) {
            if (auto written = copyAgain(copier, copy, damaged, result))
                again.push_back(std::move(*written));
        }
    }
    if (isCancelled())
        return false;
    if (!again.empty()) {
        if (!flushDestination(result))
            return false;
        const ReadBackCheck::Findings second = check.readBackAgain(again);
        addUp(verify, second);
        for (const ReadBackCheck::Copy& copy : second.damaged) {
            result.problems.append(
                {windowsFilePath(check.folder(copy.folder).source, copy.sourceName), DamagedAgain});
            result.reason = DamagedAgain;
        }
    }
    moveVerifyPosition(first, verify, result);
    if (verify.damaged > 0) {
        result.notes.append(verify.damaged == 1
                                ? QStringLiteral("1 backup copy was damaged and copied again")
                                : QStringLiteral("%1 backup copies were damaged and copied again")
                                      .arg(verify.damaged));
    }
    if (!verify.endedBecause.isEmpty())
        result.notes.append(QStringLiteral("The backup copies were not all read back: ") +
                            verify.endedBecause);
    result.verify = verify;
    return true;
}

// Copies a file again after its copy was read back: a damaged copy goes to the day's
// versions folder under a name that marks it, an earlier copy of a changed source is kept
// as a version as usual. The copy to read back in its turn; nothing when none was made.
std::optional<ReadBackCheck::Copy> BackupEngine::copyAgain(ChunkedFileCopy& copier,
                                                           const ReadBackCheck::Copy& copy,
                                                           bool damaged, BackupRunResult& result) {
    const ReadBackCheck::Folder& folder = run_.readBack->folder(copy.folder);
    const fs::path source = folder.sourcePath / copy.sourceName;
    const fs::path target = folder.destinationPath / copy.backupName;
    fs::path keepAt;
    if (damaged || run_.options.keepVersionsDays > 0) {
        fs::path keptName = copy.backupName;
        if (damaged)
            keptName += toFsPath(damagedCopySuffix(run_.day));
        keepAt = toFsPath(platform_.nativePath(versionFolderFor(folder.destination, run_.day))) /
                 keptName;
    }
    run_.destination = folder.destination;
    run_.roomLeft.reset();
    run_.roomUnknown = false;
    const FileFacts sourceFacts = fileFacts(source, true);
    if (sourceFacts.isFile())
        makeRoomFor(sourceFacts.size, result);
    const CopyResult copied =
        copier.copy(source, sourceFacts, target, fileFacts(target, false), keepAt);
    if (copied.stopped)
        return std::nullopt;
    if (!copied) {
        const QString why = damaged ? QStringLiteral("its backup copy was damaged and could not "
                                                     "be copied again: ") +
                                          copied.reason
                                    : copied.reason;
        result.problems.append({windowsFilePath(folder.source, copy.sourceName), why});
        return std::nullopt;
    }
    if (!damaged) {
        ++result.filesCopied;
        result.bytesCopied += copied.bytes;
        if (copied.earlierCopyKept)
            ++result.versionsKept;
    }
    ReadBackCheck::Copy written = copy;
    written.size = copied.bytes;
    written.hash = copied.hash;
    return written;
}

// The next night goes on where this one's slice stopped, or with the next slice.
void BackupEngine::moveVerifyPosition(const ReadBackCheck::Findings& findings,
                                      VerifySummary& verify, BackupRunResult& result) {
    if (run_.options.verifyMaxMinutes <= 0)
        return;
    const VerifySlices::Position& at = run_.readBack->position();
    verify.slice = at.slice;
    verify.sliceFinished = findings.sliceFinished;
    verify.fullyReadBack = VerifySlices::wrapsAround(at, findings.sliceFinished);
    const VerifySlices::Position next =
        VerifySlices::next(at, findings.sliceFinished, findings.lastKey);
    if (next == at)
        return;
    if (const SaveResult saved = saveVerifyPosition(platform_, values_, next); !saved.ok) {
        result.notes.append(
            QStringLiteral("Where reading back stopped could not be saved, so tonight's part "
                           "is read again next time: %1")
                .arg(saved.reason));
    }
}

} // namespace tillora
