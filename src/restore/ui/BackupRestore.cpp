#include "BackupRestore.h"

#include "AsyncTask.h"
#include "BackupOptions.h"
#include "BackupSetupSnapshot.h"
#include "DirectorySet.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "Prompts.h"
#include "RestorePlan.h"
#include "RestoreTargets.h"
#include "RunWords.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tillora {

namespace {

constexpr int FileIndexRole = Qt::UserRole; // -1 on a folder
constexpr int ListedAtMost = 12;            // lines of a list in a question

QString listed(const QStringList& lines) {
    QString text;
    for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), ListedAtMost); ++i)
        text += QStringLiteral("  ") + lines[i] + u'\n';
    if (lines.size() > ListedAtMost)
        text += QStringLiteral("  ... and %1 more\n").arg(lines.size() - ListedAtMost);
    return text;
}

void collectFiles(const QTreeWidgetItem* item, QList<int>& indexes) {
    const int index = item->data(BackupRestore::Name, FileIndexRole).toInt();
    if (index >= 0)
        indexes.append(index);
    for (int i = 0; i < item->childCount(); ++i)
        collectFiles(item->child(i), indexes);
}

} // namespace

BackupRestore::BackupRestore(Platform& platform, Prompts& prompts, const Clock& clock,
                             const BackupSetupAccess& setup, const ProgramValues& values,
                             QWidget* parent)
    : QWidget(parent, Qt::Window)
    , platform_(platform)
    , prompts_(prompts)
    , clock_(clock)
    , setup_(setup)
    , values_(values)
    , runner_(platform) {
    setObjectName(QStringLiteral("BackupRestore"));
    setWindowTitle(QStringLiteral("Restore"));
    resize(760, 600);

    MomentList = new QComboBox(this);
    MomentList->setObjectName(QStringLiteral("MomentList"));
    FileTree = new QTreeWidget(this);
    FileTree->setObjectName(QStringLiteral("FileTree"));
    FileTree->setHeaderLabels({"Name", "Size", "Modified"});
    FileTree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FileTree->header()->setStretchLastSection(false);
    FileTree->header()->setSectionResizeMode(Name, QHeaderView::Stretch);
    FileTree->header()->setSectionResizeMode(Size, QHeaderView::ResizeToContents);
    FileTree->header()->setSectionResizeMode(Modified, QHeaderView::ResizeToContents);
    OwnPlaceOption = new QRadioButton(QStringLiteral("To their own place"), this);
    OwnPlaceOption->setObjectName(QStringLiteral("OwnPlaceOption"));
    OwnPlaceOption->setChecked(true);
    FolderOption = new QRadioButton(QStringLiteral("Into this folder:"), this);
    FolderOption->setObjectName(QStringLiteral("FolderOption"));
    FolderBox = new QLineEdit(this);
    FolderBox->setObjectName(QStringLiteral("FolderBox"));
    FolderBox->setPlaceholderText(
        QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/Restored")));
    ChooseFolderButton = new QPushButton(QStringLiteral("Choose..."), this);
    ChooseFolderButton->setObjectName(QStringLiteral("ChooseFolderButton"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setVisible(false);
    StatusLine = new QLabel(this);
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setWordWrap(true);
    ReportView = new QPlainTextEdit(this);
    ReportView->setObjectName(QStringLiteral("ReportView"));
    ReportView->setReadOnly(true);
    ReportView->setVisible(false);
    RestoreButton = new QPushButton(QStringLiteral("Restore"), this);
    RestoreButton->setObjectName(QStringLiteral("RestoreButton"));
    CancelButton = new QPushButton(QStringLiteral("Stop"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setEnabled(false);
    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));

    auto* moment = new QHBoxLayout;
    moment->addWidget(new QLabel(QStringLiteral("Files as they were:"), this));
    moment->addWidget(MomentList, 1);
    auto* folder = new QHBoxLayout;
    folder->addWidget(FolderOption);
    folder->addWidget(FolderBox, 1);
    folder->addWidget(ChooseFolderButton);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ProgressBar1, 1);
    buttons->addStretch();
    buttons->addWidget(RestoreButton);
    buttons->addWidget(CancelButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(moment);
    layout->addWidget(FileTree, 3);
    layout->addWidget(OwnPlaceOption);
    layout->addLayout(folder);
    layout->addWidget(StatusLine);
    layout->addWidget(ReportView, 1);
    layout->addLayout(buttons);

    connect(MomentList, &QComboBox::currentIndexChanged, this, &BackupRestore::loadMoment);
    connect(ChooseFolderButton, &QPushButton::clicked, this, [this] {
        const QString start = FolderBox->text().isEmpty() ? QDir::homePath() : FolderBox->text();
        const QString chosen =
            QFileDialog::getExistingDirectory(this, QStringLiteral("Restore into folder"), start);
        if (!chosen.isEmpty()) {
            FolderBox->setText(QDir::toNativeSeparators(chosen));
            FolderOption->setChecked(true);
        }
    });
    connect(FolderBox, &QLineEdit::textEdited, this, [this] { FolderOption->setChecked(true); });
    connect(RestoreButton, &QPushButton::clicked, this, &BackupRestore::restoreSelected);
    connect(CancelButton, &QPushButton::clicked, this, [this] {
        runner_.cancel();
        StatusLine->setText(QStringLiteral("Stopping after the folder being restored..."));
    });
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    connect(&runner_, &RestoreRunner::progressed, this, &BackupRestore::showProgress);
    connect(&runner_, &RestoreRunner::finished, this, &BackupRestore::showReport);
    reload();
}

RestoreCatalog BackupRestore::catalog() const {
    return RestoreCatalog(platform_, driveOfSelector(setup_.snapshot().destinationDriveText()),
                          BackupOptions::load(platform_, values_).versionLimits());
}

void BackupRestore::reload() {
    const QString drive = setup_.snapshot().destinationDriveText();
    moments_ = isDriveConnected(platform_, drive) ? catalog().moments(clock_.now().date())
                                                  : QList<RestoreMoment>();
    const QSignalBlocker quiet(MomentList);
    MomentList->clear();
    for (const RestoreMoment& moment : moments_)
        MomentList->addItem(moment.caption());
    if (moments_.isEmpty()) {
        files_.clear();
        FileTree->clear();
        StatusLine->setText(
            QStringLiteral("The backup drive %1 is not connected.").arg(driveOfSelector(drive)));
        return;
    }
    loadMoment();
}

// The tree is read off the window's thread: a USB drive with thousands of files takes a
// while. A later choice wins over a load still going.
void BackupRestore::loadMoment() {
    const int index = MomentList->currentIndex();
    if (index < 0 || index >= moments_.size())
        return;
    const int load = ++loading_;
    StatusLine->setText(QStringLiteral("Reading the backup drive..."));
    FileTree->clear();
    files_.clear();
    runInBackground(
        this, [catalog = catalog(), moment = moments_[index]] { return catalog.filesAt(moment); },
        [this, load](const QList<BackedUpFile>& files) {
            if (load != loading_)
                return;
            fillTree(files);
            Q_EMIT treeLoaded();
        });
}

void BackupRestore::fillTree(const QList<BackedUpFile>& files) {
    files_ = files;
    FileTree->clear();
    const QLocale locale;
    for (int i = 0; i < files_.size(); ++i) {
        const BackedUpFile& file = files_[i];
        auto* item = new QTreeWidgetItem(folderItem(file.folder));
        item->setText(Name, file.shownName());
        item->setData(Name, FileIndexRole, i);
        item->setText(Size, sizeInWords(file.size));
        item->setTextAlignment(Size, Qt::AlignRight | Qt::AlignVCenter);
        item->setText(Modified, locale.toString(file.modified, QLocale::ShortFormat));
    }
    StatusLine->setText(files_.isEmpty()
                            ? QStringLiteral("The backup holds no files for this moment.")
                            : QStringLiteral("%1 in the backup. Choose files or folders "
                                             "to restore.")
                                  .arg(filesInWords(files_.size())));
}

QTreeWidgetItem* BackupRestore::folderItem(const QString& folder) {
    QTreeWidgetItem* parent = FileTree->invisibleRootItem();
    if (folder.isEmpty())
        return parent;
    for (const QString& step : folder.split(u'\\')) {
        QTreeWidgetItem* found = nullptr;
        for (int i = 0; i < parent->childCount() && !found; ++i) {
            QTreeWidgetItem* child = parent->child(i);
            if (child->data(Name, FileIndexRole).toInt() < 0 && child->text(Name) == step)
                found = child;
        }
        if (!found) {
            found = new QTreeWidgetItem(parent);
            found->setText(Name, step);
            found->setData(Name, FileIndexRole, -1);
        }
        parent = found;
    }
    return parent;
}

QList<BackedUpFile> BackupRestore::selectedFiles() const {
    QList<int> indexes;
    for (const QTreeWidgetItem* item : FileTree->selectedItems())
        collectFiles(item, indexes);
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    QList<BackedUpFile> files;
    for (int index : indexes)
        files.append(files_[index]);
    return files;
}

bool BackupRestore::restoreSelected() {
    if (runner_.running())
        return false;
    const QString title = QStringLiteral("Restore");
    if (backupRunning_ && backupRunning_()) {
        prompts_.critical(title, QStringLiteral("A backup is running. Restore when it has ended."));
        return false;
    }
    const QString into = FolderOption->isChecked() ? FolderBox->text().trimmed() : QString();
    if (FolderOption->isChecked() && into.isEmpty()) {
        prompts_.critical(title, QStringLiteral("Choose the folder to restore into."));
        return false;
    }
    const BackupSetupSnapshot setup = setup_.snapshot();
    const RestorePlan plan =
        planRestore(platform_, RestoreTargets(setup), driveOfSelector(setup.destinationDriveText()),
                    selectedFiles(), QDir::fromNativeSeparators(into));
    if (!plan.refusal.isEmpty()) {
        prompts_.critical(title, plan.refusal);
        return false;
    }
    if (!confirm(plan))
        return false;
    setBusy(true);
    ReportView->clear();
    ReportView->setVisible(false);
    ProgressBar1->setRange(0, int(plan.files.size()));
    ProgressBar1->setValue(0);
    StatusLine->setText(QStringLiteral("Restoring %1...").arg(filesInWords(plan.files.size())));
    return runner_.start(plan, restoreAsideRoot(values_.DataDIR), clock_.now());
}

bool BackupRestore::confirm(const RestorePlan& plan) {
    const QStringList replaced = plan.replaced();
    QString text = QStringLiteral("%1 (%2) will be restored.\n\n")
                       .arg(filesInWords(plan.files.size()), sizeInWords(plan.bytes));
    if (!replaced.isEmpty()) {
        text += QStringLiteral("These files will be replaced; each is kept in %1 first:\n%2\n")
                    .arg(restoreAsideRoot(values_.DataDIR), listed(replaced));
    }
    text += QStringLiteral(
        "Close the point-of-sale program on every station first: the other stations open these "
        "files over the network, which this computer cannot see. A file that is open now is not "
        "replaced.\n\nRestore now?");
    return prompts_.ask({PromptIcon::Question, PromptButtons::YesNo, QStringLiteral("Restore"),
                         text, PromptAnswer::No}) == PromptAnswer::Yes;
}

void BackupRestore::showProgress(int done, int total) {
    ProgressBar1->setRange(0, total);
    ProgressBar1->setValue(done);
}

void BackupRestore::showReport(const RestoreReport& report) {
    setBusy(false);
    StatusLine->setText(restoreInWords(report));
    QString text;
    if (!report.refused.isEmpty()) {
        text += QStringLiteral("Not restored:\n");
        for (const FileProblem& refused : report.refused)
            text += QStringLiteral("  %1\n      %2\n").arg(refused.path, refused.reason);
        text += u'\n';
    }
    if (!report.restored.isEmpty())
        text += QStringLiteral("Restored:\n") + listed(report.restored) + u'\n';
    if (!report.keptAside.isEmpty()) {
        text += QStringLiteral("The files they replaced are kept in %1 for %2 days.\n")
                    .arg(report.asideFolder)
                    .arg(RestoreJob::KeepDays);
    }
    ReportView->setPlainText(text);
    ReportView->setVisible(true);
    Q_EMIT restoreFinished(report);
}

void BackupRestore::setBusy(bool busy) {
    ProgressBar1->setVisible(busy);
    RestoreButton->setEnabled(!busy);
    MomentList->setEnabled(!busy);
    CancelButton->setEnabled(busy);
}

} // namespace tillora
