#include "RestoreDrill.h"

#include "AsyncTask.h"
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace tillora {

namespace {

constexpr int RecentFiles = 5;
constexpr int WeeklyFiles = 5;
constexpr qint64 TimeToleranceMs = 2000;
// Times this close are one version of the file (restic keeps nanoseconds, Qt reads
// milliseconds): only a copy that differs at such a time is a true difference.
constexpr qint64 ExactMs = 1;
constexpr qint64 CompareChunk = 1 << 20;

bool isSettingsFile(const ResticFile& file) {
    return file.path.section(u'/', -1).compare(QLatin1String("TlraIni.dat"), Qt::CaseInsensitive) ==
           0;
}

bool sameBytes(QFile& a, QFile& b) {
    while (true) {
        const QByteArray left = a.read(CompareChunk);
        const QByteArray right = b.read(CompareChunk);
        if (left != right)
            return false;
        if (left.isEmpty())
            return a.error() == QFile::NoError && b.error() == QFile::NoError;
    }
}

// Empties the drill's folder by removing it whole. A link in its place is removed as a
// link: following it would empty a folder elsewhere.
bool removeFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.isSymLink())
        return QFile::remove(folder);
    return !info.exists() || QDir(folder).removeRecursively();
}

// A fresh, empty folder that is a folder of its own, not a link to one elsewhere.
bool makeEmptyFolder(const QString& folder) {
    if (!removeFolder(folder) || !QDir().mkpath(folder))
        return false;
    const QFileInfo made(folder);
    return made.isDir() && !made.isSymLink() &&
           QDir::cleanPath(made.canonicalFilePath()) ==
               QDir::cleanPath(QFileInfo(made.absolutePath()).canonicalFilePath() + u'/' +
                               made.fileName());
}

// restic's words for a restore that did not finish: the first file it could not write
// says more than "There were 2 errors".
QString restoreFailure(const ResticExit& exit) {
    for (const QByteArray& line : exit.errorOutput.split('\n')) {
        if (line.startsWith("ignoring error for "))
            return QString::fromUtf8(line.mid(19)).trimmed();
    }
    return exit.reason;
}

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

} // namespace

QList<ResticFile> drillSample(const QList<ResticFile>& files, int week, qint64 maxBytes) {
    QList<ResticFile> sample;
    qint64 bytes = 0;
    const auto take = [&](const ResticFile& file) {
        if (sample.contains(file) || bytes + file.size > maxBytes)
            return false;
        sample.append(file);
        bytes += file.size;
        return true;
    };
    for (const ResticFile& file : files) {
        if (isSettingsFile(file))
            take(file);
    }
    QList<ResticFile> byTime = files;
    std::stable_sort(byTime.begin(), byTime.end(), [](const ResticFile& a, const ResticFile& b) {
        return a.modified > b.modified;
    });
    int recent = 0;
    for (const ResticFile& file : byTime) {
        if (recent == RecentFiles)
            break;
        recent += take(file) ? 1 : 0;
    }
    QList<ResticFile> rest;
    for (const ResticFile& file : files) {
        if (!sample.contains(file))
            rest.append(file);
    }
    std::sort(rest.begin(), rest.end(),
              [](const ResticFile& a, const ResticFile& b) { return a.path < b.path; });
    const qsizetype count = rest.size();
    const qsizetype start = count ? (qsizetype(std::max(week, 0)) * WeeklyFiles) % count : 0;
    int weekly = 0;
    for (qsizetype i = 0; i < count && weekly < WeeklyFiles; ++i)
        weekly += take(rest[(start + i) % count]) ? 1 : 0;
    return sample;
}

DrillComparison compareRestored(const QString& restored, const ResticFile& file,
                                const QStringList& references) {
    QFile copy(restored);
    const QFileInfo restoredInfo(restored);
    if (!restoredInfo.isFile() || restoredInfo.size() != file.size ||
        !copy.open(QIODevice::ReadOnly))
        return {DrillMatch::NotWhole, {}};
    QList<int> differed;
    for (int index = 0; index < references.size(); ++index) {
        const QFileInfo info(references[index]);
        const qint64 apart = std::abs(info.lastModified().msecsTo(file.modified));
        if (!info.isFile() || info.size() != file.size || apart > TimeToleranceMs)
            continue;
        QFile reference(references[index]);
        if (!reference.open(QIODevice::ReadOnly) || !copy.seek(0))
            continue;
        if (sameBytes(copy, reference))
            return {DrillMatch::Same, {}};
        if (apart <= ExactMs)
            differed.append(index);
    }
    return {differed.isEmpty() ? DrillMatch::NotCompared : DrillMatch::Differs, differed};
}

RestoreDrill::RestoreDrill(const Platform& platform, QObject* parent)
    : QObject(parent)
    , platform_(platform) {
    connect(&runner_, &ResticRunner::finished, this, [this](const ResticExit& exit) {
        if (stage_ == Stage::List)
            listed(exit);
        else
            restored(exit);
    });
    compareTimer_.setSingleShot(true);
    connect(&compareTimer_, &QTimer::timeout, this, [this] {
        fail(QStringLiteral("comparing the restored files took longer than %1")
                 .arg(limitInWords(compareLimit)));
    });
}

RestoreDrill::~RestoreDrill() {
    stop();
}

QString RestoreDrill::folder() const {
    const QString cache = platform_.userCacheFolder();
    return cache.isEmpty() ? QString() : QDir::cleanPath(cache + QStringLiteral("/restore-drill"));
}

void RestoreDrill::start(const ResticCommands& commands, const QString& snapshotId,
                         const QList<SetFile>& files, int week) {
    if (running_)
        return;
    running_ = true;
    commands_ = commands;
    snapshotId_ = snapshotId;
    files_ = files;
    week_ = week;
    sample_.clear();
    folder_ = folder();
    if (folder_.isEmpty() || !makeEmptyFolder(folder_))
        return fail(QStringLiteral("its folder %1 could not be made, so nothing was restored")
                        .arg(QDir::toNativeSeparators(
                            folder_.isEmpty() ? QStringLiteral("(no cache folder)") : folder_)));
    stage_ = Stage::List;
    runner_.start(commands_->listFiles(snapshotId_), commands_->secretValues(), true);
}

void RestoreDrill::stop() {
    if (!running_)
        return;
    runner_.stop();
    compareTimer_.stop();
    running_ = false;
    removeFolder(folder_);
}

void RestoreDrill::listed(const ResticExit& exit) {
    const auto listedFiles = exit.succeeded() ? parseResticFiles(exit.output) : std::nullopt;
    if (!listedFiles)
        return fail(
            QStringLiteral("the files of the snapshot could not be listed: %1")
                .arg(exit.reason.isEmpty() ? QStringLiteral("restic gave no list") : exit.reason),
            exit);
    // Only files the store still has are held against their copies.
    QHash<QString, SetFile> ours;
    for (const SetFile& file : files_)
        ours.insert(snapshotPathOf(file.source), file);
    QList<ResticFile> candidates;
    for (const ResticFile& file : *listedFiles) {
        if (ours.contains(snapshotPathOf(file.path)))
            candidates.append(file);
    }
    QStringList paths;
    for (const ResticFile& file : drillSample(candidates, week_)) {
        sample_.append({file, ours.value(snapshotPathOf(file.path))});
        paths.append(file.path);
    }
    if (sample_.isEmpty())
        return fail(QStringLiteral("the last snapshot holds none of the store's files"));
    stage_ = Stage::Restore;
    runner_.start(commands_->restoreFiles(snapshotId_, QDir::toNativeSeparators(folder_), paths),
                  commands_->secretValues());
}

void RestoreDrill::restored(const ResticExit& exit) {
    if (!exit.succeeded())
        return fail(QStringLiteral("the restore failed: %1").arg(restoreFailure(exit)), exit);
    // Reading up to DrillMaxBytes twice is work for a pool thread.
    compareTimer_.start(compareLimit);
    runInBackground(
        this,
        [folder = folder_, sample = sample_] {
            DrillResult result;
            QStringList problems;
            for (const auto& [file, copy] : sample) {
                const QString restored = QDir::cleanPath(folder + u'/' + file.path);
                const DrillComparison found =
                    restored.startsWith(folder + u'/')
                        ? compareRestored(restored, file, {copy.backupCopy, copy.source})
                        : DrillComparison{DrillMatch::NotWhole, {}};
                switch (found.match) {
                case DrillMatch::Same:
                    ++result.compared;
                    result.bytes += file.size;
                    break;
                case DrillMatch::NotCompared:
                    ++result.notCompared;
                    result.bytes += file.size;
                    break;
                case DrillMatch::Differs: {
                    QStringList from;
                    for (const int index : found.differed)
                        from.append(index == 0 ? QStringLiteral("its copy on the backup drive")
                                               : QStringLiteral("the store's own file"));
                    problems.append(
                        QStringLiteral("%1 differs from %2")
                            .arg(fileName(copy.source), from.join(QStringLiteral(" and from "))));
                    break;
                }
                case DrillMatch::NotWhole:
                    problems.append(
                        QStringLiteral("%1 did not come back whole").arg(fileName(copy.source)));
                    break;
                }
            }
            removeFolder(folder);
            result.passed = problems.isEmpty();
            result.reason = problems.join(QStringLiteral("; "));
            return result;
        },
        [this](const DrillResult& result) {
            if (running_)
                finish(result);
        });
}

void RestoreDrill::fail(const QString& reason, const ResticExit& exit) {
    removeFolder(folder_);
    DrillResult result;
    result.reason = reason;
    result.errors = QString::fromUtf8(exit.errorOutput).trimmed();
    // Queued: a failure found in start() reaches the caller after start() returned.
    QMetaObject::invokeMethod(
        this,
        [this, result] {
            if (running_)
                finish(result);
        },
        Qt::QueuedConnection);
}

void RestoreDrill::finish(const DrillResult& result) {
    compareTimer_.stop();
    running_ = false;
    Q_EMIT finished(result);
}

} // namespace tillora
