#pragma once

#include "BackupProgressView.h"
#include "BackupSetupSnapshot.h"

#include <QList>
#include <QPair>
#include <QStringList>

#include <array>
#include <functional>

namespace tillora::test {

// The backup settings and the overlay, as plain fields a test sets and reads.
class FakeBackupWindow final : public BackupSetupAccess, public BackupProgressView {
public:
    BackupSetupSnapshot snapshot() const override {
        BackupSetupSnapshot now;
        now.settings.sourceDrive = source;
        now.settings.destinationDrive = destination;
        for (std::size_t row = 0; row < now.settings.folderNames.size(); ++row)
            now.settings.folderNames[row] = names.at(row);
        for (std::size_t row = 0; row < enabled.size(); ++row)
            now.settings.flags[row] = enabled[row] ? -1 : 0;
        now.settings.lastDate = lastDate;
        return now;
    }
    void recordLastDate(const QString& date) override {
        lastDate = date;
        ++saves;
    }

    void showBusy(bool on) override { busyChanges.append(on); }
    void showStep(const QString& from, const QString& to) override {
        steps.append({from, to});
        if (onStep)
            onStep(from, to);
    }
    void setProgressMaximum(int maximum) override { maxima.append(maximum); }
    void setProgressValue(int value) override {
        values.append(value);
        if (onProgress)
            onProgress();
    }
    void announceFailure(const QString& title, const QString& text) override {
        failures.append(title + u'|' + text);
    }

    QString source = QStringLiteral("c:");
    QString destination = QStringLiteral("e: [BACKUP]");
    std::array<QString, 6> names{
        QStringLiteral("Tillora"), QStringLiteral("Shiftra"),
        QStringLiteral("Loyvana"), QStringLiteral("Cardessa"),
        QStringLiteral("Paydex"),  QStringLiteral("Backup to is a Network Drive")};
    std::array<bool, 6> enabled{true, true, true, true, false, false};
    QString lastDate = QStringLiteral("Never");
    int saves = 0;

    QList<bool> busyChanges;
    QList<QPair<QString, QString>> steps;
    QList<int> maxima, values;
    QStringList failures;
    std::function<void(const QString&, const QString&)> onStep;
    std::function<void()> onProgress;
};

} // namespace tillora::test
