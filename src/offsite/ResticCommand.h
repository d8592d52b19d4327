#pragma once

#include "OffsiteOptions.h"

#include <QProcessEnvironment>
#include <QStringList>

#include <chrono>

namespace tillora {

// One call of restic: the program, its arguments and its environment. The repository and
// every key travel in the environment, never in the arguments, which any user of the PC
// can read in the process list.
struct ResticCall {
    QString program;
    QStringList arguments;
    QProcessEnvironment environment;
    // Past this the call is ended: a stalled connection must hold neither the next night
    // nor a window for ever.
    std::chrono::milliseconds limit{std::chrono::minutes(10)};
};

// The restic calls the off-site copy makes, for one repository and its keys.
class ResticCommands {
public:
    ResticCommands(OffsiteOptions options, OffsiteSecrets secrets);

    ResticCall init() const;
    ResticCall unlock() const; // removes only stale locks
    // `listFile` holds the files, NUL-separated; `parent` may be empty.
    ResticCall backup(const QString& listFile, const QStringList& tags,
                      const QString& parent) const;
    ResticCall check() const;
    ResticCall forgetAndPrune() const;
    ResticCall snapshots() const;
    ResticCall restore(const QString& snapshotId, const QString& targetFolder) const;
    // Only the files named (their paths in the snapshot, as `ls` gives them).
    ResticCall restoreFiles(const QString& snapshotId, const QString& targetFolder,
                            const QStringList& snapshotPaths) const;
    ResticCall listFiles(const QString& snapshotId) const;

    // Every secret value, so text that leaves restic can be cleaned of them.
    QStringList secretValues() const;

private:
    ResticCall call(QStringList arguments, std::chrono::milliseconds limit,
                    bool limitsUpload = false) const;

    OffsiteOptions options_;
    OffsiteSecrets secrets_;
    QProcessEnvironment environment_;
};

// The tag that names the store: its name reduced to letters, digits and hyphens (restic
// splits a tag at a comma). Empty when nothing is left.
QString storeTag(const QString& companyName);

// The tag every snapshot of this program carries.
inline QString programTag() {
    return QStringLiteral("tillora");
}

} // namespace tillora
