#pragma once

#include "BackupSettingsFile.h"
#include "BackupSetupSnapshot.h"
#include "FileSave.h"

#include <QObject>
#include <QString>

#include <mutex>

namespace tillora {

class Platform;
class Prompts;
struct ProgramValues;

// The backup settings of the program: Autobackup.dat and the catch-up switch of
// BackupOptions.ini. The main window shows and edits them; the scheduler, the engine,
// the catch-up rule, the alerts and the off-site copy read them. Lives on the window's
// thread; snapshot() may be called from any thread.
class BackupSetup : public QObject, public BackupSetupAccess {
    Q_OBJECT

public:
    BackupSetup(Platform& platform, Prompts& prompts, ProgramValues& values,
                QObject* parent = nullptr);

    BackupSetupSnapshot snapshot() const override;
    void recordLastDate(const QString& date) override;
    // How a failed save of a run's date is told (without blocking: it may be at night).
    void setSaveFailureNotice(BackupSettingsFile::FailureNotice tell) {
        saveFailureNotice_ = std::move(tell);
    }
    BackupSettings settings() const { return snapshot().settings; }

    // Each setter tells `changed` only when something changed.
    void setSettings(const BackupSettings& settings);
    void setLastDate(const QString& date);
    void setCatchUpMissedRun(bool on);

    // Reads Autobackup.dat (written with the defaults when missing; a failed write is told
    // through the save-failure notice) and the catch-up options. Messages about the file
    // only inform.
    void load();
    // Rewrites Autobackup.dat; `tell` hears about a failure (a message box without it).
    bool save(const BackupSettingsFile::FailureNotice& tell = {});
    // The same, told through the save-failure notice: nobody may be there to click (the
    // session ending at night).
    bool saveUnattended() { return save(saveFailureNotice_); }
    // Saves the catch-up switch into BackupOptions.ini, keeping its other values.
    SaveResult saveCatchUpOption();

    const BackupSettingsFile& file() const { return file_; }

Q_SIGNALS:
    void changed();
    // A run's date waits in pendingDate_; queued when recorded from another thread.
    void dateRecorded(QPrivateSignal);

private:
    void takeRecordedDate();
    bool replace(const BackupSetupSnapshot& next);

    Platform& platform_;
    ProgramValues& values_;
    BackupSettingsFile file_;
    BackupSettingsFile::FailureNotice saveFailureNotice_;
    mutable std::mutex mutex_;
    BackupSetupSnapshot state_;
    QString pendingDate_;
};

} // namespace tillora
