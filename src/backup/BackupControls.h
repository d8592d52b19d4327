#pragma once

#include <QString>

namespace tillora {

// The main window's backup settings as live controls: the engine reads each value at the
// moment it needs it, so a change made during a run applies from the next step on.
class BackupControls {
public:
    virtual ~BackupControls() = default;

    virtual QString sourceDriveText() const = 0;      // Drive1, "c:" or "e: [LABEL]"
    virtual QString destinationDriveText() const = 0; // Drive2
    virtual QString folderName(int row) const = 0;    // Text1(row), rows 0 to 4
    virtual bool folderEnabled(int row) const = 0;    // SSCheck1(row) ticked, rows 0 to 5
    virtual QString lastBackupText() const = 0;       // Text2
    virtual void setLastBackupText(const QString& text) = 0;
    // SaveBackupSettings; false when the file could not be written (the window has
    // already told the operator).
    virtual bool saveBackupSettings() = 0;
};

// What a backup run shows while it works.
class BackupProgressView {
public:
    virtual ~BackupProgressView() = default;

    // The busy overlay SSPanel2 (top at 1440 twips while busy, back at 12000) and the
    // busy or idle state of SSPanel4.
    virtual void showBusy(bool busy) = 0;
    // Label3 and Label4: the folders of the current step, repainted at once.
    virtual void showStep(const QString& source, const QString& destination) = 0;
    // ProgressBar1: a new maximum (only ever called with at least 1) and the position.
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgressValue(int value) = 0;
    // A failed run the operator must hear about without the scheduler being blocked: a
    // non-modal critical message and a notification-area message.
    virtual void announceFailure(const QString& title, const QString& text) = 0;
};

} // namespace tillora
