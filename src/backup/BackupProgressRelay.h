#pragma once

#include "BackupProgressView.h"

#include <QObject>

namespace tillora {

// The progress of a run as signals: a run on its own thread reaches the window through
// them, queued, and never touches a widget.
class BackupProgressRelay final : public QObject, public BackupProgressView {
    Q_OBJECT

public:
    using QObject::QObject;

    void showBusy(bool busy) override { Q_EMIT busyChanged(busy); }
    void showStep(const QString& source, const QString& destination) override {
        Q_EMIT stepStarted(source, destination);
    }
    void setProgressMaximum(int maximum) override { Q_EMIT progressMaximum(maximum); }
    void setProgressValue(int value) override { Q_EMIT progressValue(value); }
    void announceFailure(const QString& title, const QString& text) override {
        Q_EMIT failed(title, text);
    }

Q_SIGNALS:
    void busyChanged(bool busy);
    void stepStarted(const QString& source, const QString& destination);
    void progressMaximum(int maximum);
    void progressValue(int value);
    void failed(const QString& title, const QString& text);
};

} // namespace tillora
