#pragma once

#include "BackupAlerts.h"

#include <functional>

namespace tillora {

class BackupControls;
class BackupHistoryLog;
class Platform;
struct ProgramValues;

// The alert rules' view of the running program: the settings files, the run history, the
// main window's live backup controls and the program values.
class AppAlertSources final : public AlertSources {
public:
    AppAlertSources(const Platform& platform, const ProgramValues& values,
                    const BackupControls& controls, const BackupHistoryLog& history,
                    std::function<QString()> startTimeText);

    AlertSettings alertSettings() const override;
    QString companyName() const override;
    QString backupStartTime() const override;
    std::optional<QTime> reportWindowStart() const override;
    std::optional<QDateTime> lastBackup() const override;
    QList<PastRun> runsSince(const QDateTime& since) const override;

private:
    const Platform& platform_;
    const ProgramValues& values_;
    const BackupControls& controls_;
    const BackupHistoryLog& history_;
    std::function<QString()> startTimeText_;
};

} // namespace tillora
