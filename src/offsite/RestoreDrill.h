#pragma once

#include "OffsiteFiles.h"
#include "ResticJson.h"
#include "ResticRunner.h"

#include <QObject>
#include <QTimer>

namespace tillora {

class Platform;

// At most this much is restored in one drill: a slow line takes it in well under an hour.
constexpr qint64 DrillMaxBytes = qint64(200) * 1000 * 1000;

// The files a drill restores: the point-of-sale settings file TlraIni.dat, the 5 changed
// last, and 5 of the rest (in order of their paths) that the week number picks in turn,
// so that over the weeks every file comes up; a file that would take the sample over
// `maxBytes` is passed over.
QList<ResticFile> drillSample(const QList<ResticFile>& files, int week,
                              qint64 maxBytes = DrillMaxBytes);

// How one restored file compares with the copies it should equal.
enum class DrillMatch {
    Same,        // equal to a reference
    Differs,     // another byte than every reference that could be compared
    NotWhole,    // missing from the restore, or of another size than the snapshot says
    NotCompared, // no reference has the snapshot's size and time: changed since
};
struct DrillComparison {
    DrillMatch match = DrillMatch::NotCompared;
    QList<int> differed; // indexes into the references of those that differ
};
// Compares `restored` with each of `references` (native paths) that has the snapshot's
// size and time (2 seconds apart at most, as FAT keeps them) and can be read, until one
// is equal. Only a reference of exactly the snapshot's time that differs makes it
// Differs: a file rewritten within those 2 seconds (the program's own settings) leaves a
// backup copy of the same size and nearly the same time that is an older version.
DrillComparison compareRestored(const QString& restored, const ResticFile& file,
                                const QStringList& references);

// What a drill found.
struct DrillResult {
    bool passed = false;
    int compared = 0;    // restored files found equal to their copies
    int notCompared = 0; // restored whole, but changed since the snapshot
    qint64 bytes = 0;    // restored
    QString reason;      // why it failed, in the owner's words
    QString errors;      // what restic said when it failed
};

// The weekly restore drill: restic restores a sample of the last snapshot into the
// drill's own folder under the user's cache folder, each file is compared with its copy
// on the backup drive (or the store's own file when that is the one the snapshot holds),
// and the folder goes again. restic's calls run as its own processes and the compare on
// a pool thread, so nothing waits on the window's thread. Nothing is written outside the
// drill's folder: restic restores only below --target, and without a folder of its own
// the drill does not run.
class RestoreDrill : public QObject {
    Q_OBJECT

public:
    explicit RestoreDrill(const Platform& platform, QObject* parent = nullptr);
    ~RestoreDrill() override;

    // `files` are the directory set's files and their backup copies.
    void start(const ResticCommands& commands, const QString& snapshotId,
               const QList<SetFile>& files, int week);
    bool running() const { return running_; }
    // Ends the drill at once and removes its folder; no `finished` follows.
    void stop();

    // Comparing reads at most DrillMaxBytes twice; a drive that stops answering must not
    // hold the night's step past this.
    std::chrono::milliseconds compareLimit{std::chrono::minutes(30)};

    // The drill's folder (native path); empty when the user has no cache folder.
    QString folder() const;

Q_SIGNALS:
    void finished(const DrillResult& result);

private:
    enum class Stage { List, Restore };
    void listed(const ResticExit& exit);
    void restored(const ResticExit& exit);
    void fail(const QString& reason, const ResticExit& exit = {});
    void finish(const DrillResult& result);

    const Platform& platform_;
    ResticRunner runner_;
    QTimer compareTimer_;
    Stage stage_ = Stage::List;
    bool running_ = false;
    QString snapshotId_;
    QString folder_;
    QStringList secrets_;
    std::optional<ResticCommands> commands_;
    QList<SetFile> files_;
    int week_ = 0;
    // The sample, each with its references: the backup copy, then the source.
    QList<std::pair<ResticFile, SetFile>> sample_;
};

} // namespace tillora
