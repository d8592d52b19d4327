#include "RestoreJob.h"

#include "ChunkedFileCopy.h"
#include "FileReplace.h"
#include "NativeFiles.h"
#include "Platform.h"
#include "RunWords.h"

#include <QRandomGenerator>
#include <QRegularExpression>

#include <map>

namespace tillora {

namespace fs = std::filesystem;

namespace {

const QString StampPicture = QStringLiteral("yyyy-MM-dd hh-mm");

// A temporary file of a restore, or of the copy that makes one; one left by a restore that
// was killed goes when its folder is restored again.
bool isRestoreTemporary(const QString& name) {
    static const QRegularExpression temporary(
        QStringLiteral("^\\.tlra-restore-[0-9a-f]{8}\\.partial$"));
    return temporary.match(name).hasMatch() || ChunkedFileCopy::isPartialName(name);
}

fs::path temporaryBeside(const fs::path& target) {
    const QString name = QStringLiteral(".tlra-restore-%1.partial")
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    return target.parent_path() / toFsPath(name);
}

void removeQuietly(const fs::path& path) {
    removeFile(path); // one that stays is a temporary file the next restore removes
}

} // namespace

QString restoreInWords(const RestoreReport& report) {
    QString text = QStringLiteral("Restore: %1 restored").arg(filesInWords(report.restored.size()));
    if (!report.refused.isEmpty())
        text += QStringLiteral(", %1 not restored").arg(filesInWords(report.refused.size()));
    if (report.cancelled)
        text += QStringLiteral(", stopped before the rest");
    if (!report.keptAside.isEmpty())
        text += QStringLiteral("; the files they replaced are kept in ") + report.asideFolder;
    return text + u'.';
}

QString restoreAsideRoot(const QString& dataDir) {
    QString folder = dataDir;
    while (folder.endsWith(u'\\'))
        folder.chop(1);
    const qsizetype parentEnd = folder.lastIndexOf(u'\\');
    const QString parent = parentEnd < 0 ? folder : folder.left(parentEnd);
    return parent + QStringLiteral("\\TLRArestore\\");
}

RestoreJob::RestoreJob(Platform& platform, QString asideRoot, QDateTime now,
                       std::function<void(int, int)> progress)
    : platform_(platform)
    , asideRoot_(std::move(asideRoot))
    , now_(std::move(now))
    , progress_(std::move(progress)) {
}

RestoreReport RestoreJob::run(const RestorePlan& plan) {
    RestoreReport report;
    removeOldAsideFolders();
    // Folder by folder, in the plan's order.
    std::vector<std::pair<fs::path, QList<const RestoreTarget*>>> folders;
    std::map<fs::path, std::size_t> folderIndex;
    for (const RestoreTarget& file : plan.files) {
        const fs::path folder = file.target.parent_path();
        const auto [at, added] = folderIndex.try_emplace(folder, folders.size());
        if (added)
            folders.push_back({folder, {}});
        folders[at->second].second.append(&file);
    }
    done_ = 0;
    total_ = int(plan.files.size());
    for (const auto& [folder, files] : folders) {
        if (cancelled_) {
            report.cancelled = true;
            break;
        }
        restoreFolder(files, report);
    }
    report.asideFolder = asideFolder_;
    return report;
}

void RestoreJob::removeOldAsideFolders() {
    const fs::path root = toFsPath(platform_.nativePath(asideRoot_));
    const QDateTime oldest = now_.addDays(-KeepDays);
    for (const fs::path& name : listFolder(root).folders) {
        const QDateTime made =
            QDateTime::fromString(displayName(name).left(StampPicture.size()), StampPicture);
        if (made.isValid() && made < oldest)
            removeFolderTree(root / name); // a folder that stays is tried again next time
    }
}

// Two restores within a minute get folders of their own, so neither's files are lost.
bool RestoreJob::chooseAsideFolder() {
    if (!asideFolder_.isEmpty())
        return true;
    const QString stamp = now_.toString(StampPicture);
    for (int n = 1; n < 100; ++n) {
        const QString folder =
            asideRoot_ + stamp + (n == 1 ? QString() : QStringLiteral(" (%1)").arg(n));
        if (fileFacts(toFsPath(platform_.nativePath(folder)), false).kind ==
            FileFacts::Kind::Missing) {
            asideFolder_ = folder;
            return true;
        }
    }
    return false;
}

void RestoreJob::restoreFolder(const QList<const RestoreTarget*>& files, RestoreReport& report) {
    const fs::path folder = files.first()->target.parent_path();
    for (const fs::path& name : listFolder(folder).files) {
        if (isRestoreTemporary(displayName(name)))
            removeQuietly(folder / name);
    }
    QList<Prepared> prepared;
    for (const RestoreTarget* file : files) {
        if (cancelled_) {
            for (const Prepared& each : prepared)
                removeQuietly(each.temporary);
            report.cancelled = true;
            return;
        }
        prepare(*file, prepared, report);
        if (progress_)
            progress_(++done_, total_);
    }
    for (const Prepared& each : prepared)
        putInPlace(each, report);
}

bool RestoreJob::prepare(const RestoreTarget& file, QList<Prepared>& prepared,
                         RestoreReport& report) {
    if (file.replaces) {
        const QString busy = platform_.whyNotReplaceable(file.target);
        if (!busy.isEmpty()) {
            refuse(file, busy, report);
            return false;
        }
    }
    if (!makeFolders(file.target.parent_path())) {
        refuse(file, QStringLiteral("its folder cannot be made"), report);
        return false;
    }
    const fs::path temporary = temporaryBeside(file.target);
    const CopyResult copied = ChunkedFileCopy(&platform_).copy(file.file.copy, temporary);
    if (!copied) {
        refuse(file, copied.reason, report);
        return false;
    }
    prepared.append({&file, temporary});
    return true;
}

void RestoreJob::putInPlace(const Prepared& prepared, RestoreReport& report) {
    const RestoreTarget& file = *prepared.file;
    const auto fail = [&](const QString& reason) {
        removeQuietly(prepared.temporary);
        refuse(file, reason, report);
    };
    QString reason;
    if (!file.replaces) {
        if (!moveFileNoReplace(prepared.temporary, file.target, &reason))
            return fail(reason);
        report.restored.append(file.shownTarget);
        return;
    }
    // Looked at again: the copying took a while, and another station may have opened it.
    if (const QString busy = platform_.whyNotReplaceable(file.target); !busy.isEmpty())
        return fail(busy);
    if (!chooseAsideFolder())
        return fail(QStringLiteral("no folder to keep the file it replaces could be named"));
    const QString shownAside = asideFolder_ + u'\\' + file.storePath;
    const fs::path aside = toFsPath(platform_.nativePath(shownAside));
    makeFolders(aside.parent_path()); // a folder that cannot be made fails the copy below
    const CopyResult kept = ChunkedFileCopy(&platform_).copy(file.target, aside);
    if (!kept)
        return fail(QStringLiteral("the file there could not be kept aside: ") + kept.reason);
    if (!replaceFile(prepared.temporary, file.target, &reason)) {
        removeQuietly(aside);
        return fail(reason);
    }
    report.restored.append(file.shownTarget);
    report.keptAside.append(shownAside);
}

void RestoreJob::refuse(const RestoreTarget& file, const QString& reason, RestoreReport& report) {
    report.refused.append({file.shownTarget, reason});
}

} // namespace tillora
