#pragma once

#include <QString>

namespace tillora {

// What a backup run shows while it works. A run on its own thread calls it from there.
class BackupProgressView {
public:
    virtual ~BackupProgressView() = default;

    // The busy overlay SSPanel2 (top at 1440 twips while busy, back at 12000) and the
    // busy or idle state of SSPanel4.
    virtual void showBusy(bool busy) = 0;
    // Label3 and Label4: the folders of the current step.
    virtual void showStep(const QString& source, const QString& destination) = 0;
    // ProgressBar1: a new maximum (only ever called with at least 1) and the position, in
    // units of the current step's bytes.
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgressValue(int value) = 0;
    // A failed run the operator must hear about without the scheduler being blocked: a
    // non-modal critical message and a notification-area message.
    virtual void announceFailure(const QString& title, const QString& text) = 0;
};

} // namespace tillora
