#pragma once

#include "BackupSetup.h"
#include "Colors.h"
#include "Platform.h"
#include "Prompts.h"

#include <QLabel>
#include <QWidget>

#include <array>
#include <optional>

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tillora {

class ActiveResize;
class Autostart;
class TrayIcon;

// A panel with a caption that reports clicks.
class ClickablePanel : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The main window: a view of the backup settings (BackupSetup: what the owner changes goes
// there, what changes there shows here), the status panels, the buttons that open the
// other windows and the busy overlay of a backup run. The composition root wires the
// buttons whose actions belong to other windows.
class Form1 : public QWidget {
    Q_OBJECT

public:
    Form1(Platform& platform, Prompts& prompts, BackupSetup& setup, QWidget* parent = nullptr);
    ~Form1() override;

    // Routines of the window.
    void FillTimeLists();
    void LoadBackupSettings();
    bool SaveBackupSettings();
    void ShowBackupStatus();
    void AddTrayIcon();
    // The terminate handler: icon removed, events processed, settings saved. Runs once.
    void Terminate();

    // The settings as the controls hold them, and the controls set to show `settings`.
    BackupSettings settings() const;
    void applySettings(const BackupSettings& settings);

    // Makes the window visible (a click on the icon, a report that wants to be seen).
    void showMainWindow();
    // Takes the window out of the way: hidden while the icon is in the notification area,
    // minimised where there is none, so it never ends up out of reach.
    void hideToResident();
    // Arms Timer2: the window settles into the notification area 100 ms later.
    void armResidentTimer();

    // SSPanel6, the text-message status line.
    void setStatusLine(const QString& caption, unsigned int textColour, bool emphasised);
    void setStatusLineVisible(bool visible);
    // Only the status line's caption, as the hourly report check writes it.
    void setStatusCaption(const QString& caption);
    // The "Settings" button's back colour: red while texting is off, green while on.
    void setSettingsButtonColour(unsigned int colour);
    // The off-site copy's progress beside the last backup date; nothing hides it.
    void showOffsiteProgress(std::optional<int> percent);

    // The last run's result under the last backup date, red when it needs attention; it
    // wraps, and a line break puts the off-site copy's part on a line of its own.
    void showLastRun(const QString& lines, bool attention);
    // A message from the notification-area icon, where the desktop shows them.
    void announceRun(const QString& title, const QString& text, bool attention);
    // Shows the "Start with the desktop session" box, which switches `autostart` (it must
    // outlive the window).
    void wireAutostart(Autostart& autostart);

    TrayIcon* trayIcon() const { return trayIcon_; }
    bool notificationAreaAvailable() const { return notificationArea_; }
    void setNotificationAreaAvailable(bool available) { notificationArea_ = available; }

    // A run's progress (BackupProgressView, reached through BackupProgressRelay).
    void showBusy(bool busy);
    void showStep(const QString& source, const QString& destination);
    void setProgressMaximum(int maximum);
    void setProgressValue(int value);
    // A failure told without blocking, as a run may be at night.
    void announceFailure(const QString& title, const QString& text);

    // Controls, by their design names.
    std::array<QComboBox*, 2> Combo1;
    QComboBox* Drive1;
    QComboBox* Drive2;
    std::array<QLineEdit*, 6> Text1;
    std::array<QCheckBox*, 6> SSCheck1;
    QLineEdit* Text2;
    QLabel* SSPanel3;
    ClickablePanel* SSPanel6;
    QLabel* SSPanel14;
    QCalendarWidget* MonthView1;
    QPushButton* SSCommand1; // Done
    QPushButton* SSCommand2; // End
    QPushButton* SSCommand3; // Backup Now
    QPushButton* SSCommand4; // Set Default
    QPushButton* SSCommand5; // Settings (Text to Mobile)
    QPushButton* SSCommand6; // mail
    QPushButton* Command1;   // Check Map
    QPushButton* SSCommand7; // Off-site Copy
    QProgressBar* OffsiteProgress;
    QGroupBox* TextToMobile;
    QTimer* Timer2;
    QCheckBox* StartWithSession = nullptr; // only where the session has autostart entries

    // The run history and the catch-up of a missed night.
    QLabel* LastRunLabel;
    QPushButton* HistoryButton;
    QPushButton* RestoreButton; // files back from the backup drive
    QCheckBox* CatchUpBox;      // [Backup] CatchUpMissedRun of BackupOptions.ini

    // The busy overlay.
    QFrame* SSPanel2;
    QLabel* Label3; // from
    QLabel* Label4; // to
    QProgressBar* ProgressBar1;
    QPushButton* CancelButton;
    QListWidget* File1;
    QLabel* SSPanel4;

Q_SIGNALS:
    // Drive2 changed to another drive; carries the selector's text.
    void destinationDriveChanged(const QString& driveText);
    // The operator picked the backup drive in Drive2, the one shown already included.
    void destinationDriveChosen();
    // Timer2 ticked: the program is resident.
    void settled();
    // "End" did its work; the program must end now.
    void endRequested();
    // "Cancel" on the busy overlay: the run is to stop.
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildOverlay();
    void buildRunControls();
    void fillDrives();
    void bindToSetup();
    void pushToSetup();
    void showSetup();
    void selectDrive(QComboBox* selector, const QString& driveText);
    void refuseQuotedName(int row);
    void refuseUnsafeName(int row);
    void done();
    void end();
    void setDefault();

    Platform& platform_;
    Prompts& prompts_;
    BackupSetup& setup_;
    bool showingSetup_ = false; // the controls are being set from the model
    ActiveResize* resize_ = nullptr;
    TrayIcon* trayIcon_ = nullptr;
    bool notificationArea_ = false;
    bool terminated_ = false;
    // The folder names last accepted, to go back to when a typed name is refused.
    std::array<QString, BackupSettings::FolderCount> acceptedNames_ =
        BackupSettings::defaultFolderNames();
};

} // namespace tillora
