#include "BackupSetup.h"

#include "BackupOptions.h"

namespace tillora {

QString BackupSetupSnapshot::folderName(int row) const {
    if (row >= 0 && row < BackupSettings::FolderCount)
        return settings.folderNames[std::size_t(row)];
    return row == BackupSettings::NetworkRow ? BackupSettings::networkRowText() : QString();
}

bool BackupSetupSnapshot::folderEnabled(int row) const {
    return row >= 0 && row < int(settings.flags.size()) && settings.flags[std::size_t(row)] != 0;
}

BackupSetup::BackupSetup(Platform& platform, Prompts& prompts, ProgramValues& values,
                         QObject* parent)
    : QObject(parent)
    , platform_(platform)
    , values_(values)
    , file_(platform, prompts, values) {
    connect(this, &BackupSetup::dateRecorded, this, &BackupSetup::takeRecordedDate);
}

BackupSetupSnapshot BackupSetup::snapshot() const {
    const std::lock_guard lock(mutex_);
    return state_;
}

void BackupSetup::recordLastDate(const QString& date) {
    {
        const std::lock_guard lock(mutex_);
        pendingDate_ = date;
    }
    // Direct on the model's own thread, queued from a run's.
    Q_EMIT dateRecorded(QPrivateSignal());
}

void BackupSetup::takeRecordedDate() {
    QString date;
    {
        const std::lock_guard lock(mutex_);
        date = std::exchange(pendingDate_, QString());
    }
    if (date.isEmpty())
        return;
    setLastDate(date);
    save(saveFailureNotice_);
}

bool BackupSetup::replace(const BackupSetupSnapshot& next) {
    {
        const std::lock_guard lock(mutex_);
        if (state_ == next)
            return false;
        state_ = next;
    }
    Q_EMIT changed();
    return true;
}

void BackupSetup::setSettings(const BackupSettings& settings) {
    BackupSetupSnapshot next = snapshot();
    next.settings = settings;
    replace(next);
}

void BackupSetup::setLastDate(const QString& date) {
    BackupSetupSnapshot next = snapshot();
    next.settings.lastDate = date;
    replace(next);
}

void BackupSetup::setCatchUpMissedRun(bool on) {
    BackupSetupSnapshot next = snapshot();
    next.catchUpMissedRun = on;
    replace(next);
}

void BackupSetup::load() {
    BackupSetupSnapshot next = snapshot();
    next.settings = file_.load(next.settings, saveFailureNotice_);
    const BackupOptions options = BackupOptions::load(platform_, values_);
    next.catchUpMissedRun = options.catchUpMissedRun;
    next.catchUpUntil = options.catchUpUntil;
    replace(next);
}

bool BackupSetup::save(const BackupSettingsFile::FailureNotice& tell) {
    return file_.save(settings(), tell);
}

SaveResult BackupSetup::saveCatchUpOption() {
    BackupOptions options = BackupOptions::load(platform_, values_);
    options.catchUpMissedRun = snapshot().catchUpMissedRun;
    return options.save(platform_, values_);
}

} // namespace tillora
