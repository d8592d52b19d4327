#pragma once

#include "FileSave.h"
#include "Notifier.h"

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace tillora {

class BackupAlertService;
class Platform;
struct ProgramValues;

// What the channels did with a test: "Sent by e-mail. Not sent by push: server not reached."
QString outcomesInWords(const QList<ChannelOutcome>& outcomes);

// The backup alerts' part of the delivery window: which alerts the owner wants, and a
// button that sends a test alert on every channel switched on and shows what each did.
class AlertsSection : public QGroupBox {
    Q_OBJECT
public:
    AlertsSection(const Platform& platform, const ProgramValues& values, BackupAlertService& alerts,
                  QWidget* parent = nullptr);

    // Writes the fields to the [Alerts] group; the window's "Save" runs it.
    SaveResult save() const;

    QCheckBox* backupFailed;
    QSpinBox* staleAfterDays;
    QCheckBox* weekly;
    QPushButton* testAlert;
    QLabel* testResult;

private:
    void sendTestAlert();

    const Platform& platform_;
    const ProgramValues& values_;
    BackupAlertService& alerts_;
};

} // namespace tillora
