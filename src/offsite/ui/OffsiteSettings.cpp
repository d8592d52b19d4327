#include "OffsiteSettings.h"

#include "AsyncTask.h"
#include "ControlNames.h"
#include "DirectorySet.h"
#include "OffsiteFiles.h"
#include "Prompts.h"
#include "ResticCommand.h"
#include "RunSummary.h"
#include "SecretStore.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tillora {

namespace {

// restic puts a file at its whole path below --target; the restore goes here first and
// its files then move to the store's own paths below the chosen folder.
const QString RestoreStaging = QStringLiteral(".tillora-restoring");

qint64 filesBelow(const QString& folder) {
    qint64 count = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++count;
    }
    return count;
}

} // namespace

OffsiteSettings::OffsiteSettings(const BackupSetupAccess& setup, const Platform& platform,
                                 const ProgramValues& values, Prompts& prompts,
                                 SecretStore& secrets, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , chooseRestoreFolder([this] {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Restore into folder"),
                                                 QDir::homePath());
    })
    , setup_(setup)
    , platform_(platform)
    , values_(values)
    , prompts_(prompts)
    , secrets_(secrets) {
    setObjectName(QStringLiteral("OffsiteSettings"));
    setWindowTitle(QStringLiteral("Off-site copy"));
    buildControls();

    connect(SaveButton, &QPushButton::clicked, this, [this] {
        if (save())
            setStatus(QStringLiteral("Saved. The copy is made after each nightly backup."));
    });
    connect(CreateButton, &QPushButton::clicked, this, &OffsiteSettings::createRepository);
    connect(TestButton, &QPushButton::clicked, this, &OffsiteSettings::testConnection);
    connect(RestoreButton, &QPushButton::clicked, this, &OffsiteSettings::restoreSelected);
    connect(CopyNowButton, &QPushButton::clicked, this, [this] {
        if (!Enabled->isChecked()) {
            setStatus(QStringLiteral("Tick \"Make an encrypted copy elsewhere\" first."));
            return;
        }
        if (save())
            Q_EMIT copyNowRequested();
    });
    connect(CloseButton, &QPushButton::clicked, this, &QWidget::close);
    connect(&runner_, &ResticRunner::finished, this, [this](const ResticExit& exit) {
        restoreCount_.stop();
        Busy->setVisible(false);
        for (QPushButton* button : {CreateButton, TestButton, RestoreButton})
            button->setEnabled(true);
        if (auto then = std::exchange(then_, {}))
            then(exit);
    });
    // restic 0.14 prints nothing while it restores: the files that appeared are counted.
    restoreCount_.setInterval(std::chrono::seconds(1));
    connect(&restoreCount_, &QTimer::timeout, this, [this] {
        setStatus(QStringLiteral("Restoring... %1 files written").arg(filesBelow(restoreFolder_)));
    });
}

void OffsiteSettings::buildControls() {
    auto* layout = new QVBoxLayout(this);
    Enabled = named(new QCheckBox(QStringLiteral("Make an encrypted copy elsewhere after each "
                                                 "nightly backup"),
                                  this),
                    "Enabled");
    layout->addWidget(Enabled);

    auto* form = new QFormLayout;
    auto field = [&](const char* name, const QString& label, bool secret) {
        auto* box = named(new QLineEdit(this), name);
        if (secret)
            box->setEchoMode(QLineEdit::PasswordEchoOnEdit);
        form->addRow(label, box);
        return box;
    };
    Repository = field("Repository", QStringLiteral("Repository"), false);
    Repository->setPlaceholderText(
        QStringLiteral("rest:https://host:8000/store1 or a folder such as %1")
            .arg(QDir::toNativeSeparators(QDir::homePath() + QStringLiteral("/offsite-copy"))));
    Repository->setToolTip(QStringLiteral(
        "Where the copy goes, in restic's form: rest:https://host:8000/store1, "
        "s3:https://host/bucket/store1, b2:bucket:store1, sftp:user@host:/srv/store1, or a "
        "folder on another drive (a USB drive kept elsewhere)."));
    Password = field("Password", QStringLiteral("Repository password"), true);
    AccessKey = field("AccessKey", QStringLiteral("Access key (S3, B2)"), false);
    SecretKey = field("SecretKey", QStringLiteral("Secret key (S3, B2)"), true);
    Restic = field("Restic", QStringLiteral("restic program"), false);
    Restic->setPlaceholderText(OffsiteOptions().resticProgramOrDefault());
    LimitUploadKiB = named(new QSpinBox(this), "LimitUploadKiB");
    LimitUploadKiB->setRange(0, 1000000);
    LimitUploadKiB->setSuffix(QStringLiteral(" KiB/s"));
    LimitUploadKiB->setSpecialValueText(QStringLiteral("no limit"));
    form->addRow(QStringLiteral("Upload limit"), LimitUploadKiB);
    layout->addLayout(form);
    Prune = named(new QCheckBox(QStringLiteral("Remove old snapshots every week (only for "
                                               "storage that allows deletion)"),
                                this),
                  "Prune");
    layout->addWidget(Prune);

    auto* warning = new QLabel(
        QStringLiteral("Keep the repository password somewhere else too, on paper in a safe "
                       "place: without it the copy cannot be read by anyone. Storage that this "
                       "PC cannot delete from (an append-only server) keeps the copy safe "
                       "from ransomware."),
        this);
    warning->setWordWrap(true);
    layout->addWidget(warning);

    auto* buttons = new QHBoxLayout;
    SaveButton = named(new QPushButton(QStringLiteral("Save"), this), "SaveButton");
    CreateButton =
        named(new QPushButton(QStringLiteral("Create repository"), this), "CreateButton");
    TestButton = named(new QPushButton(QStringLiteral("Test connection"), this), "TestButton");
    CopyNowButton = named(new QPushButton(QStringLiteral("Copy now"), this), "CopyNowButton");
    CopyNowButton->setToolTip(QStringLiteral("Make an off-site copy now, after a backup when "
                                             "none was made today"));
    for (QPushButton* button : {SaveButton, CreateButton, TestButton, CopyNowButton})
        buttons->addWidget(button);
    layout->addLayout(buttons);

    Snapshots = named(new QTreeWidget(this), "Snapshots");
    Snapshots->setHeaderLabels({QStringLiteral("Date"), QStringLiteral("Host"),
                                QStringLiteral("Tags"), QStringLiteral("Id"),
                                QStringLiteral("Files"), QStringLiteral("Added")});
    Snapshots->setRootIsDecorated(false);
    Snapshots->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(Snapshots, 1);

    auto* restoreRow = new QHBoxLayout;
    RestoreButton =
        named(new QPushButton(QStringLiteral("Restore to folder..."), this), "RestoreButton");
    Busy = named(new QProgressBar(this), "Busy");
    Busy->setRange(0, 0);
    Busy->setVisible(false);
    restoreRow->addWidget(RestoreButton);
    restoreRow->addWidget(Busy, 1);
    layout->addLayout(restoreRow);
    Status = named(new QLabel(this), "Status");
    Status->setWordWrap(true);
    Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Status);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    CloseButton = named(new QPushButton(QStringLiteral("Close"), this), "CloseButton");
    closeRow->addWidget(CloseButton);
    layout->addLayout(closeRow);
    resize(640, 560);
}

void OffsiteSettings::showWindow() {
    loadFields();
    show();
    raise();
    activateWindow();
    if (!Repository->text().isEmpty())
        listSnapshots();
}

void OffsiteSettings::loadFields() {
    const OffsiteOptions options = OffsiteOptions::load(platform_, values_);
    const OffsiteSecrets keys = OffsiteSecrets::load(secrets_);
    Enabled->setChecked(options.enabled);
    // The server password stays out of sight: the field shows the URL without it.
    Repository->setText(options.repository);
    Password->setText(keys.password);
    AccessKey->setText(keys.accessKey);
    SecretKey->setText(keys.secretKey);
    Restic->setText(options.resticProgram);
    LimitUploadKiB->setValue(options.limitUploadKiB);
    Prune->setChecked(options.prune);
}

OffsiteOptions OffsiteSettings::typedOptions() const {
    // Keys the window does not show (MaxHours) keep what the owner wrote in the file.
    OffsiteOptions options = OffsiteOptions::load(platform_, values_);
    options.enabled = Enabled->isChecked();
    options.repository = splitRepositoryPassword(Repository->text()).withoutPassword;
    options.resticProgram = Restic->text().trimmed();
    options.limitUploadKiB = LimitUploadKiB->value();
    options.prune = Prune->isChecked();
    return options;
}

OffsiteSecrets OffsiteSettings::typedSecrets() const {
    OffsiteSecrets keys;
    keys.password = Password->text();
    keys.accessKey = AccessKey->text().trimmed();
    keys.secretKey = SecretKey->text().trimmed();
    const RepositoryText typed = splitRepositoryPassword(Repository->text());
    // A URL typed without its password keeps the one saved before.
    keys.serverPassword =
        typed.password.isEmpty() ? OffsiteSecrets::load(secrets_).serverPassword : typed.password;
    return keys;
}

ResticCommands OffsiteSettings::typedCommands() const {
    return ResticCommands(typedOptions(), typedSecrets());
}

bool OffsiteSettings::save() {
    const OffsiteOptions options = typedOptions();
    if (options.enabled && (options.repository.isEmpty() || Password->text().isEmpty())) {
        prompts_.critical(QStringLiteral("Off-site copy"),
                          QStringLiteral("Please enter the repository and its password."));
        return false;
    }
    SaveResult result = typedSecrets().save(secrets_);
    if (result)
        result = options.save(platform_, values_);
    if (!result) {
        prompts_.critical(QStringLiteral("Off-site copy"),
                          QStringLiteral("The settings were not saved: %1").arg(result.reason));
        return false;
    }
    Repository->setText(options.repository);
    Q_EMIT saved();
    return true;
}

void OffsiteSettings::runRestic(const ResticCall& call, const QString& doing,
                                std::function<void(const ResticExit&)> then) {
    if (runner_.running())
        return;
    if (typedOptions().repository.isEmpty() || Password->text().isEmpty()) {
        setStatus(QStringLiteral("Please enter the repository and its password."));
        return;
    }
    then_ = std::move(then);
    for (QPushButton* button : {CreateButton, TestButton, RestoreButton})
        button->setEnabled(false);
    Busy->setVisible(true);
    setStatus(doing);
    runner_.start(call, typedCommands().secretValues(), true);
}

void OffsiteSettings::createRepository() {
    runRestic(typedCommands().init(), QStringLiteral("Creating the repository..."),
              [this](const ResticExit& exit) {
                  if (!exit.succeeded())
                      return setStatus(QStringLiteral("Not created: %1").arg(exit.reason));
                  // A new repository holds none of the snapshots remembered before.
                  OffsiteState state = OffsiteState::load(platform_, values_);
                  state.lastSnapshot.clear();
                  state.lastMaintenance = {};
                  QString created = QStringLiteral("The repository was created. Keep its password "
                                                   "somewhere safe: without it the copy cannot be "
                                                   "read.");
                  if (const SaveResult saved = state.save(platform_, values_); !saved)
                      created += QStringLiteral(" The off-site copy's state was not saved: %1")
                                     .arg(saved.reason);
                  setStatus(created);
                  showSnapshots({});
              });
}

void OffsiteSettings::testConnection() {
    runRestic(typedCommands().snapshots(), QStringLiteral("Connecting..."),
              [this](const ResticExit& exit) {
                  const auto snapshots =
                      exit.succeeded() ? parseResticSnapshots(exit.output) : std::nullopt;
                  if (!snapshots)
                      return setStatus(QStringLiteral("No connection: %1")
                                           .arg(exit.reason.isEmpty()
                                                    ? QStringLiteral("restic gave no list")
                                                    : exit.reason));
                  showSnapshots(*snapshots);
                  setStatus(QStringLiteral("Connected: the repository holds %1 snapshot(s).")
                                .arg(snapshots->size()));
              });
}

void OffsiteSettings::listSnapshots() {
    runRestic(
        typedCommands().snapshots(), QStringLiteral("Reading the list of snapshots..."),
        [this](const ResticExit& exit) {
            if (const auto snapshots =
                    exit.succeeded() ? parseResticSnapshots(exit.output) : std::nullopt) {
                showSnapshots(*snapshots);
                setStatus(
                    QStringLiteral("The repository holds %1 snapshot(s).").arg(snapshots->size()));
            } else {
                setStatus(QStringLiteral("The snapshots could not be listed: %1").arg(exit.reason));
            }
        });
}

void OffsiteSettings::showSnapshots(const QList<ResticSnapshot>& snapshots) {
    Snapshots->clear();
    const QLocale locale;
    // Newest first: a restore usually wants last night's.
    for (auto it = snapshots.rbegin(); it != snapshots.rend(); ++it) {
        QStringList columns{locale.toString(it->time.toLocalTime(), QLocale::ShortFormat),
                            it->hostname, it->tags.join(QStringLiteral(", ")), it->shortId};
        if (const auto known = historyOf ? historyOf(it->shortId) : std::nullopt) {
            columns << QString::number(known->filesNew + known->filesChanged +
                                       known->filesUnmodified)
                    << locale.formattedDataSize(known->bytesAdded);
        }
        auto* item = new QTreeWidgetItem(Snapshots, columns);
        item->setData(0, Qt::UserRole, it->id);
    }
    if (Snapshots->topLevelItemCount() > 0)
        Snapshots->setCurrentItem(Snapshots->topLevelItem(0));
}

void OffsiteSettings::restoreSelected() {
    const QTreeWidgetItem* item = Snapshots->currentItem();
    if (!item) {
        setStatus(QStringLiteral("Please choose a snapshot in the list first."));
        return;
    }
    const QString folder = chooseRestoreFolder ? chooseRestoreFolder() : QString();
    if (folder.isEmpty())
        return;
    const auto problem =
        restoreTargetProblem(folder, liveDataFolders(setup_.snapshot(), platform_, values_));
    if (problem) {
        prompts_.critical(QStringLiteral("Restore"), *problem);
        return;
    }
    restoreFolder_ = folder;
    const QString id = item->data(0, Qt::UserRole).toString();
    const QString staging = QDir(folder).filePath(RestoreStaging);
    runRestic(typedCommands().restore(id, QDir::toNativeSeparators(staging)),
              QStringLiteral("Restoring..."), [this, folder, staging](const ResticExit& exit) {
                  restoreEnded(exit, folder, staging);
              });
    if (runner_.running())
        restoreCount_.start();
}

// What restic restored, failed or not, goes to the store's paths on a pool thread: a
// whole store is many files.
void OffsiteSettings::restoreEnded(const ResticExit& exit, const QString& folder,
                                   const QString& staging) {
    RestoreButton->setEnabled(false);
    setStatus(QStringLiteral("Putting the files in place..."));
    const QList<DriveRoot> roots = driveRoots(platform_);
    const QString sourceDrive = driveOfSelector(setup_.snapshot().sourceDriveText());
    runInBackground(
        this,
        [staging, folder, roots, sourceDrive] {
            return placeRestored(staging, folder, roots, sourceDrive);
        },
        [this, exit, folder](const PlacedFiles& placed) {
            RestoreButton->setEnabled(!runner_.running());
            QString text =
                exit.succeeded()
                    ? QStringLiteral("Restored %1 files into %2.")
                          .arg(QString::number(placed.files), QDir::toNativeSeparators(folder))
                    : QStringLiteral("The restore failed after %1 files: %2")
                          .arg(QString::number(placed.files), exit.reason);
            if (!placed.problems.isEmpty())
                text += QStringLiteral(" %1 file(s) could not be put in place and are still in "
                                       "%2.")
                            .arg(placed.problems.size())
                            .arg(QDir::toNativeSeparators(QDir(folder).filePath(RestoreStaging)));
            setStatus(text);
        });
}

void OffsiteSettings::copyStarted() {
    CopyNowButton->setEnabled(false);
    setStatus(QStringLiteral("Making the off-site copy..."));
}

void OffsiteSettings::copyEnded(const OffsiteSummary& summary) {
    CopyNowButton->setEnabled(true);
    QString text = offsiteInWords(summary);
    text[0] = text[0].toUpper();
    if (!summary.reason.isEmpty() && summary.outcome != OffsiteSummary::Outcome::Stopped)
        text += QStringLiteral(": ") + summary.reason;
    text += u'.';
    setStatus(text);
    // The new snapshot joins the list; the copy's words stay.
    if (!runner_.running() && !Repository->text().isEmpty())
        runRestic(typedCommands().snapshots(), text, [this, text](const ResticExit& exit) {
            if (const auto snapshots =
                    exit.succeeded() ? parseResticSnapshots(exit.output) : std::nullopt)
                showSnapshots(*snapshots);
            setStatus(text);
        });
}

void OffsiteSettings::setStatus(const QString& text) {
    Status->setText(text);
}

} // namespace tillora
