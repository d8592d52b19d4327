#pragma once

#include "BackupAlerts.h"

namespace tillora {

class BackupHistoryLog;
class BackupSetupAccess;
class Platform;
struct ProgramValues;

// The alert rules' view of the running program: the settings files, the run history, the
// backup settings and the program values.
class AppAlertSources final : public AlertSources {
public:
    AppAlertSources(const Platform& platform, const ProgramValues& values,
                    const BackupSetupAccess& setup, const BackupHistoryLog& history);

    AlertSettings alertSettings() const override;
    QString companyName() const override;
    QString backupStartTime() const override;
    std::optional<QTime> reportWindowStart() const override;
    std::optional<QDateTime> lastBackup() const override;
    QList<PastRun> runsSince(const QDateTime& since) const override;
    std::optional<double> salesOfDays(const QDate& first, const QDate& last) const override;

private:
    const Platform& platform_;
    const ProgramValues& values_;
    const BackupSetupAccess& setup_;
    const BackupHistoryLog& history_;
};

} // namespace tillora
