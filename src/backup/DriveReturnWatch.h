#pragma once

#include "BackupRunResult.h"
#include "BackupSetupSnapshot.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

namespace tillora {

class Platform;

// After a night's run failed because the backup or the source drive was not there, looks
// at each scheduler tick whether that drive is back, so the night can be made up the same
// day. A local drive is looked for in the drive list; a network drive is probed off the
// tick (a share that does not answer must not hold it), and an answer later than the
// limit counts for nothing.
class DriveReturnWatch : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::seconds ProbeLimit{20};

    enum class Drive { Backup, Source };

    explicit DriveReturnWatch(const Platform& platform, QObject* parent = nullptr);

    // Watches for the drive a failed run of the night of `due` found missing; any other
    // result ends the watch: a drive that is there but cannot be written waits for the
    // next night.
    void follow(const BackupRunResult& result, const BackupSetupSnapshot& setup,
                const QDateTime& due);
    void stop() { watching_ = false; }

    bool watching() const { return watching_; }
    QDateTime night() const { return due_; }     // the backup minute of the failed night
    QDate failedOn() const { return failedOn_; } // the day the night may be made up
    Drive drive() const { return drive_; }

    // At a tick: whether the drive is there again. A network drive's answer comes from the
    // probe of an earlier tick.
    bool driveIsBack();

private:
    bool networkDriveIsBack();

    const Platform& platform_;
    bool watching_ = false;
    Drive drive_ = Drive::Backup;
    QString selector_; // "e: [BACKUP]", "z: [\\server\share]"
    bool network_ = false;
    QDateTime due_;
    QDate failedOn_;
    bool probing_ = false;
    std::optional<bool> probeAnswer_;
};

} // namespace tillora
