#pragma once

#include "FileSave.h"
#include "VersionTiers.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

namespace tillora {

class Platform;
class SecretStore;
struct ProgramValues;

// The encrypted copy kept elsewhere: group [Offsite] of <DataDIR>ini\BackupOptions.ini.
// Nothing secret lives here: that file is copied to the backup drive every night.
struct OffsiteOptions {
    bool enabled = false; // Enabled
    // Repository: restic's own form ("rest:https://host:8000/store1", "b2:bucket:store1",
    // a folder). A password typed into a URL is kept in the secrets file, not here.
    QString repository;
    QString resticProgram;  // Restic; empty means the default (see resticProgramOrDefault)
    int limitUploadKiB = 0; // LimitUploadKiB; 0 = no limit
    bool prune = false;     // Prune; only for a repository that allows deletion
    int maxHours = 8;       // MaxHours, 1 to 72: a night's upload running longer is ended
    // StopAt: when the store opens an upload still running gives way to the card
    // terminals. Absent, the report window's first report time holds (when reports are
    // on); present but empty, never. Read only: the window leaves it as the owner wrote it.
    std::optional<QString> stopAt;
    // How many daily, weekly and monthly snapshots a prune keeps: the backup's own version
    // limits ([Backup] KeepVersionsDays, KeepWeeklyVersions, KeepMonthlyVersions), read
    // with the rest and never saved from here.
    VersionLimits keep;

    QString resticProgramOrDefault() const;
    // The time of day StopAt names; nothing when it is empty or not a time.
    std::optional<QTime> stopAtTime() const;

    static OffsiteOptions load(const Platform& platform, const ProgramValues& values);
    SaveResult save(const Platform& platform, const ProgramValues& values) const;
};

// What the nightly step remembers between nights, group [OffsiteState] of the same file.
struct OffsiteState {
    QDate lastMaintenance;          // LastMaintenance: the weekly check (and prune) passed
    QString lastSnapshot;           // LastSnapshot: the parent of the next night's snapshot
    QString lastSnapshotRepository; // LastSnapshotRepository: where lastSnapshot lives
    int nightsStopped = 0;          // NightsStopped: nights running whose upload StopAt ended

    static OffsiteState load(const Platform& platform, const ProgramValues& values);
    SaveResult save(const Platform& platform, const ProgramValues& values) const;
};

// The keys to the repository, from the owner-only secrets file.
struct OffsiteSecrets {
    QString password;       // Offsite/Password: encrypts the repository
    QString accessKey;      // Offsite/AccessKey: S3 access key id, B2 account id
    QString secretKey;      // Offsite/SecretKey: S3 secret key, B2 application key
    QString serverPassword; // Offsite/ServerPassword: the password of a rest: URL

    static OffsiteSecrets load(const SecretStore& store);
    SaveResult save(SecretStore& store) const;
};

// A repository URL as typed ("rest:https://store1:pw@host/store1") split into the URL
// without its password, which may be stored in the open, and the password.
struct RepositoryText {
    QString withoutPassword;
    QString password;
};
RepositoryText splitRepositoryPassword(const QString& typed);
// The URL with the password put back in, as restic needs it; unchanged when either is
// empty or the URL names no user.
QString joinRepositoryPassword(const QString& repository, const QString& password);

} // namespace tillora
