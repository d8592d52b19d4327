#pragma once

#include "Clock.h"
#include "RestoreCatalog.h"
#include "RestoreRunner.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tillora {

class BackupSetupAccess;
class Platform;
class Prompts;
struct ProgramValues;

// "Restore": the files of the backup drive as they were at a chosen moment, and giving
// the chosen ones back to their own place or into a folder. The backup drive's contents
// are read off the window's thread, and so is the restore; the window stays usable.
class BackupRestore : public QWidget {
    Q_OBJECT

public:
    enum Column { Name, Size, Modified };

    BackupRestore(Platform& platform, Prompts& prompts, const Clock& clock,
                  const BackupSetupAccess& setup, const ProgramValues& values,
                  QWidget* parent = nullptr);

    // Reads the backup drive's moments afresh (the window is shown again).
    void reload();
    // Whether a backup runs now: no restore starts while one does.
    void setBackupRunning(std::function<bool()> running) { backupRunning_ = std::move(running); }
    // A restore is going on: no backup may start.
    bool restoring() const { return runner_.running(); }
    // The program is ending: the restore stops after the folder it is at, waited for up
    // to `limit`.
    bool stopRestore(std::chrono::milliseconds limit) { return runner_.cancelAndWait(limit); }
    // The chosen files or folders restored, after the owner agreed; false when refused.
    bool restoreSelected();

    QComboBox* MomentList;
    QTreeWidget* FileTree;
    QRadioButton* OwnPlaceOption;
    QRadioButton* FolderOption;
    QLineEdit* FolderBox;
    QPushButton* ChooseFolderButton;
    QProgressBar* ProgressBar1;
    QLabel* StatusLine;
    QPlainTextEdit* ReportView;
    QPushButton* RestoreButton;
    QPushButton* CancelButton;
    QPushButton* CloseButton;

Q_SIGNALS:
    // The files of the chosen moment are in the tree.
    void treeLoaded();
    void restoreFinished(const tillora::RestoreReport& report);

private:
    RestoreCatalog catalog() const;
    void loadMoment();
    void fillTree(const QList<BackedUpFile>& files);
    QTreeWidgetItem* folderItem(const QString& folder);
    QList<BackedUpFile> selectedFiles() const;
    bool confirm(const RestorePlan& plan);
    void showProgress(int done, int total);
    void showReport(const RestoreReport& report);
    void setBusy(bool busy);

    Platform& platform_;
    Prompts& prompts_;
    const Clock& clock_;
    const BackupSetupAccess& setup_;
    const ProgramValues& values_;
    RestoreRunner runner_;
    std::function<bool()> backupRunning_;
    QList<RestoreMoment> moments_;
    QList<BackedUpFile> files_; // of the moment in the tree; items keep their index
    int loading_ = 0;           // which load the tree waits for
};

} // namespace tillora
