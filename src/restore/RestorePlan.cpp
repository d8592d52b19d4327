#include "RestorePlan.h"

#include "NativeFiles.h"
#include "Platform.h"
#include "RestoreTargets.h"
#include "RunWords.h"

#include <QDir>
#include <QMap>

namespace tillora {

namespace fs = std::filesystem;

namespace {

fs::path comparable(const fs::path& path) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? path.lexically_normal() : canonical;
}

bool isInside(const fs::path& path, const fs::path& folder) {
    const auto [end, _] =
        std::mismatch(folder.begin(), folder.end(), path.begin(), path.end(),
                      [](const fs::path& a, const fs::path& b) {
                          return displayName(a).compare(displayName(b), Qt::CaseInsensitive) == 0;
                      });
    return end == folder.end();
}

// Where a target's room is asked for: the drive of a Windows-form path, else the nearest
// folder of the chosen one that exists (a new folder has no free space of its own yet).
QString roomKey(const QString& shownTarget, const QString& intoFolder) {
    if (intoFolder.isEmpty())
        return shownTarget.left(2).toLower();
    QDir folder(intoFolder);
    while (!folder.exists() && folder.cdUp()) {
    }
    return folder.path();
}

} // namespace

QStringList RestorePlan::replaced() const {
    QStringList shown;
    for (const RestoreTarget& file : files) {
        if (file.replaces)
            shown.append(file.shownTarget);
    }
    return shown;
}

RestorePlan planRestore(const Platform& platform, const RestoreTargets& targets,
                        const QString& backupDrive, const QList<BackedUpFile>& files,
                        const QString& intoFolder) {
    RestorePlan plan;
    if (files.isEmpty()) {
        plan.refusal = QStringLiteral("Choose the files or folders to restore first.");
        return plan;
    }
    const QList<fs::path> backupFolders{
        comparable(toFsPath(platform.nativePath(backupDrive + QStringLiteral("\\TLRAbackup")))),
        comparable(toFsPath(platform.nativePath(backupDrive + QStringLiteral("\\TLRAversions"))))};
    QMap<QString, qint64> needed; // bytes by where the room is
    for (const BackedUpFile& file : files) {
        RestoreTarget target;
        target.file = file;
        const QString source = targets.sourceFolderOf(file.folder) + u'\\' + file.shownName();
        target.storePath = RestoreTargets::storePathOf(source);
        if (intoFolder.isEmpty()) {
            target.target =
                toFsPath(platform.nativePath(targets.sourceFolderOf(file.folder))) / file.name;
            target.shownTarget = source;
        } else {
            target.target = toFsPath(QDir::cleanPath(
                intoFolder + u'/' + QString(target.storePath).replace(u'\\', u'/')));
            target.shownTarget = QDir::toNativeSeparators(displayName(target.target));
        }
        for (const fs::path& folder : backupFolders) {
            if (isInside(comparable(target.target), folder)) {
                plan.refusal =
                    QStringLiteral("%1 lies inside the backup on the backup drive, which a "
                                   "restore never writes to: choose another folder.")
                        .arg(target.shownTarget);
                return plan;
            }
        }
        const FileFacts there = fileFacts(target.target, false);
        target.replaces = there.kind != FileFacts::Kind::Missing;
        target.replacedBytes = there.isFile() ? there.size : 0;
        plan.bytes += file.size;
        // The replaced file is kept aside as a copy, on the same drive as a rule.
        needed[roomKey(target.shownTarget, intoFolder)] += file.size + target.replacedBytes;
        plan.files.append(std::move(target));
    }
    for (auto room = needed.cbegin(); room != needed.cend(); ++room) {
        const auto space = platform.diskSpace(room.key());
        if (space && qint64(space->callerFree) < room.value()) {
            plan.refusal = QStringLiteral("%1 has %2 free; the restore needs %3. Make room there "
                                          "or choose another folder.")
                               .arg(room.key(), sizeInWords(qint64(space->callerFree)),
                                    sizeInWords(room.value()));
            return plan;
        }
    }
    return plan;
}

} // namespace tillora
