#pragma once

#include "BackupControls.h"

#include <QList>
#include <QPair>
#include <QStringList>

#include <array>
#include <functional>

namespace tillora::test {

// The main window's backup controls and overlay, as plain fields a test sets and reads.
class FakeBackupWindow final : public BackupControls, public BackupProgressView {
public:
    QString sourceDriveText() const override { return source; }
    QString destinationDriveText() const override { return destination; }
    QString folderName(int row) const override { return names.at(std::size_t(row)); }
    bool folderEnabled(int row) const override { return enabled.at(std::size_t(row)); }
    QString lastBackupText() const override { return lastDate; }
    void setLastBackupText(const QString& text) override { lastDate = text; }
    bool saveBackupSettings() override {
        ++saves;
        return true;
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
