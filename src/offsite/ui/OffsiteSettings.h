#pragma once

#include "BackupRunResult.h"
#include "BackupSetupSnapshot.h"
#include "OffsiteOptions.h"
#include "ResticJson.h"
#include "ResticRunner.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace tillora {

class Platform;
class Prompts;
class SecretStore;
struct ProgramValues;

// "Off-site copy": where the encrypted copy goes and with which keys, a new repository,
// a connection test, a copy made at once, the snapshots it holds and a restore of one of
// them into a folder, by the store's own paths. The buttons act on the fields as typed;
// "Save" keeps them for the nightly copy (and "Copy now" saves them first).
class OffsiteSettings : public QWidget {
    Q_OBJECT

public:
    OffsiteSettings(const BackupSetupAccess& setup, const Platform& platform,
                    const ProgramValues& values, Prompts& prompts, SecretStore& secrets,
                    QWidget* parent = nullptr);

    // Loads the saved fields and lists the snapshots.
    void showWindow();
    // The copy "Copy now" asked for has started, and how it ended.
    void copyStarted();
    void copyEnded(const OffsiteSummary& summary);

    // What our own history knows of a snapshot (restic 0.14 lists no sizes); tests and
    // the main program set it.
    std::function<std::optional<OffsiteSummary>(const QString& shortId)> historyOf;
    // Asks for the folder a restore goes into; empty when cancelled.
    std::function<QString()> chooseRestoreFolder;

    QCheckBox* Enabled;
    QLineEdit* Repository;
    QLineEdit* Password;
    QLineEdit* AccessKey;
    QLineEdit* SecretKey;
    QLineEdit* Restic;
    QSpinBox* LimitUploadKiB;
    QCheckBox* Prune;
    QPushButton* SaveButton;
    QPushButton* CreateButton;
    QPushButton* TestButton;
    QPushButton* CopyNowButton;
    QTreeWidget* Snapshots;
    QPushButton* RestoreButton;
    QProgressBar* Busy;
    QLabel* Status;
    QPushButton* CloseButton;

Q_SIGNALS:
    void saved();
    // "Copy now", with the settings saved: the program makes an off-site copy at once.
    void copyNowRequested();

private:
    void buildControls();
    void loadFields();
    bool save();
    OffsiteOptions typedOptions() const;
    OffsiteSecrets typedSecrets() const;
    ResticCommands typedCommands() const;
    void runRestic(const ResticCall& call, const QString& doing,
                   std::function<void(const ResticExit&)> then);
    void createRepository();
    void testConnection();
    void listSnapshots();
    void showSnapshots(const QList<ResticSnapshot>& snapshots);
    void restoreSelected();
    void restoreEnded(const ResticExit& exit, const QString& folder, const QString& staging);
    void setStatus(const QString& text);

    const BackupSetupAccess& setup_;
    const Platform& platform_;
    const ProgramValues& values_;
    Prompts& prompts_;
    SecretStore& secrets_;
    ResticRunner runner_;
    std::function<void(const ResticExit&)> then_;
    QTimer restoreCount_;
    QString restoreFolder_;
};

} // namespace tillora
