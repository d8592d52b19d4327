#include "BackupHistoryLog.h"

#include "DataFiles.h"
#include "JsonLines.h"
#include "Platform.h"
#include "ProgramValues.h"

#include <QJsonArray>

#include <algorithm>
#include <array>
#include <utility>

namespace tillora {

namespace {

constexpr std::array<std::pair<RunTrigger, const char*>, 3> TriggerTokens = {{
    {RunTrigger::Scheduled, "scheduled"},
    {RunTrigger::BackupNow, "backup-now"},
    {RunTrigger::CatchUp, "catch-up"},
}};

constexpr std::array<std::pair<RunOutcome, const char*>, 10> OutcomeTokens = {{
    {RunOutcome::Completed, "completed"},
    {RunOutcome::CompletedWithProblems, "completed-with-problems"},
    {RunOutcome::Declined, "declined"},
    {RunOutcome::NetworkFailed, "network-failed"},
    {RunOutcome::DestinationUnavailable, "destination-unavailable"},
    {RunOutcome::SourceUnavailable, "source-unavailable"},
    {RunOutcome::AlreadyRunning, "already-running"},
    {RunOutcome::RunningElsewhere, "running-elsewhere"},
    {RunOutcome::AlreadyDoneToday, "already-done-today"},
    {RunOutcome::Cancelled, "cancelled"},
}};

// The detail of "destination-unavailable": one token for all the faults keeps older
// readers of the log reading it.
constexpr std::array<std::pair<DestinationFault, const char*>, 4> DestinationFaultTokens = {{
    {DestinationFault::Missing, "drive-missing"},
    {DestinationFault::NotWritable, "not-writable"},
    {DestinationFault::FlushFailed, "flush-failed"},
    {DestinationFault::OtherDrive, "other-drive"},
}};

constexpr std::array<std::pair<OffsiteSummary::Outcome, const char*>, 7> OffsiteTokens = {{
    {OffsiteSummary::Outcome::Completed, "completed"},
    {OffsiteSummary::Outcome::Incomplete, "incomplete"},
    {OffsiteSummary::Outcome::Failed, "failed"},
    {OffsiteSummary::Outcome::CheckFailed, "check-failed"},
    {OffsiteSummary::Outcome::Stopped, "stopped"},
    {OffsiteSummary::Outcome::Skipped, "skipped"},
    {OffsiteSummary::Outcome::DrillFailed, "drill-failed"},
}};

template <typename Value, std::size_t N>
QString tokenOf(const std::array<std::pair<Value, const char*>, N>& table, Value value) {
    for (const auto& [v, token] : table) {
        if (v == value)
            return QString::fromLatin1(token);
    }
    return {};
}

template <typename Value, std::size_t N>
std::optional<Value> valueOf(const std::array<std::pair<Value, const char*>, N>& table,
                             const QString& token) {
    for (const auto& [v, t] : table) {
        if (token == QLatin1String(t))
            return v;
    }
    return std::nullopt;
}

// Local time with milliseconds: the start time is the key a later update looks for.
QString timeText(const QDateTime& moment) {
    return moment.toString(Qt::ISODateWithMs);
}

QDateTime timeOf(const QJsonValue& value) {
    return QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
}

qint64 count(const QJsonObject& object, const char* key) {
    return jsonCount(object.value(QLatin1String(key)));
}

QJsonObject offsiteObject(const OffsiteSummary& offsite) {
    QJsonObject object{
        {"outcome", tokenOf(OffsiteTokens, offsite.outcome)},
        {"finished", timeText(offsite.finished)},
        {"filesNew", double(offsite.filesNew)},
        {"filesChanged", double(offsite.filesChanged)},
        {"filesUnmodified", double(offsite.filesUnmodified)},
        {"bytesAdded", double(offsite.bytesAdded)},
        {"seconds", offsite.seconds},
        {"snapshotId", offsite.snapshotId},
        {"reason", offsite.reason},
    };
    if (!offsite.errors.isEmpty())
        object.insert("errors", offsite.errors);
    if (offsite.restoreProven)
        object.insert("restoreProven", true);
    return object;
}

OffsiteSummary offsiteOf(const QJsonObject& object) {
    OffsiteSummary offsite;
    offsite.outcome = valueOf(OffsiteTokens, object.value("outcome").toString())
                          .value_or(OffsiteSummary::Outcome::Failed);
    offsite.finished = timeOf(object.value("finished"));
    offsite.filesNew = count(object, "filesNew");
    offsite.filesChanged = count(object, "filesChanged");
    offsite.filesUnmodified = count(object, "filesUnmodified");
    offsite.bytesAdded = count(object, "bytesAdded");
    offsite.seconds = object.value("seconds").toDouble();
    offsite.snapshotId = object.value("snapshotId").toString();
    offsite.reason = object.value("reason").toString();
    offsite.errors = object.value("errors").toString();
    offsite.restoreProven = object.value("restoreProven").toBool();
    return offsite;
}

QJsonObject verifyObject(const VerifySummary& verify) {
    QJsonObject object{
        {"files", double(verify.files)},       {"bytes", double(verify.bytes)},
        {"damaged", double(verify.damaged)},   {"writtenSeconds", verify.writtenSeconds},
        {"sliceSeconds", verify.sliceSeconds},
    };
    if (verify.slice >= 0) {
        object.insert("slice", verify.slice);
        object.insert("sliceFinished", verify.sliceFinished);
    }
    if (verify.fullyReadBack)
        object.insert("fullyReadBack", true);
    if (!verify.endedBecause.isEmpty())
        object.insert("endedBecause", verify.endedBecause);
    return object;
}

VerifySummary verifyOf(const QJsonObject& object) {
    VerifySummary verify;
    verify.files = count(object, "files");
    verify.bytes = count(object, "bytes");
    verify.damaged = count(object, "damaged");
    verify.writtenSeconds = object.value("writtenSeconds").toDouble();
    verify.sliceSeconds = object.value("sliceSeconds").toDouble();
    verify.slice = object.value("slice").toInt(-1);
    verify.sliceFinished = object.value("sliceFinished").toBool();
    verify.fullyReadBack = object.value("fullyReadBack").toBool();
    verify.endedBecause = object.value("endedBecause").toString();
    return verify;
}

QJsonObject historyLine(const BackupRunResult& run) {
    QJsonObject line{
        {"date", run.started.date().toString(Qt::ISODate)},
        {"start", timeText(run.started)},
        {"seconds", double(std::max<qint64>(0, run.started.secsTo(run.finished)))},
        {"trigger", triggerToken(run.trigger)},
        {"outcome", outcomeToken(run.outcome)},
        {"filesCopied", double(run.filesCopied)},
        {"filesNotCopied", double(run.problems.size())},
        {"bytes", double(run.bytesCopied)},
        {"destination", run.destinationRoot},
        {"notes", QJsonArray::fromStringList(run.notes)},
        {"reason", run.reason},
        {"filesUnchanged", double(run.filesUnchanged)},
        {"versionsKept", double(run.versionsKept)},
        {"versionsPruned", double(run.versionsPruned)},
    };
    if (run.outcome == RunOutcome::DestinationUnavailable &&
        run.destinationFault != DestinationFault::Unknown)
        line.insert("destinationFault", tokenOf(DestinationFaultTokens, run.destinationFault));
    if (run.oldestVersion.isValid())
        line.insert("oldestVersion", run.oldestVersion.toString(Qt::ISODate));
    if (run.verify)
        line.insert("verify", verifyObject(*run.verify));
    if (run.offsite)
        line.insert("offsite", offsiteObject(*run.offsite));
    if (!run.foldersLeftOut.isEmpty()) {
        QJsonArray folders;
        for (const FolderLeftOut& folder : run.foldersLeftOut)
            folders.append(QJsonObject{{"path", folder.path}, {"files", double(folder.files)}});
        line.insert("foldersLeftOut", folders);
    }
    return line;
}

// Nothing when the line lacks what every run has; other fields may be missing.
std::optional<HistoryEntry> entryOf(const QJsonObject& line) {
    const QDateTime started = timeOf(line.value("start"));
    const auto trigger = valueOf(TriggerTokens, line.value("trigger").toString());
    const auto outcome = valueOf(OutcomeTokens, line.value("outcome").toString());
    if (!started.isValid() || !trigger || !outcome)
        return std::nullopt;
    HistoryEntry entry;
    BackupRunResult& run = entry.run;
    run.started = started;
    run.finished = started.addSecs(count(line, "seconds"));
    run.trigger = *trigger;
    run.outcome = *outcome;
    run.filesCopied = count(line, "filesCopied");
    run.bytesCopied = count(line, "bytes");
    run.destinationRoot = line.value("destination").toString();
    for (const QJsonValue& note : line.value("notes").toArray())
        run.notes.append(note.toString());
    run.reason = line.value("reason").toString();
    run.destinationFault =
        valueOf(DestinationFaultTokens, line.value("destinationFault").toString())
            .value_or(DestinationFault::Unknown);
    run.filesUnchanged = count(line, "filesUnchanged");
    run.versionsKept = count(line, "versionsKept");
    run.versionsPruned = count(line, "versionsPruned");
    run.oldestVersion = QDate::fromString(line.value("oldestVersion").toString(), Qt::ISODate);
    if (line.value("verify").isObject())
        run.verify = verifyOf(line.value("verify").toObject());
    if (line.value("offsite").isObject())
        run.offsite = offsiteOf(line.value("offsite").toObject());
    for (const QJsonValue& folder : line.value("foldersLeftOut").toArray())
        run.foldersLeftOut.append(
            {folder.toObject().value("path").toString(), count(folder.toObject(), "files")});
    entry.filesNotCopied = count(line, "filesNotCopied");
    return entry;
}

QJsonObject problemsLine(const BackupRunResult& run) {
    QJsonArray files;
    for (const FileProblem& problem : run.problems.mid(0, BackupHistoryLog::KeptProblemsPerRun))
        files.append(QJsonObject{{"path", problem.path}, {"reason", problem.reason}});
    return {
        {"date", run.started.date().toString(Qt::ISODate)},
        {"start", timeText(run.started)},
        {"filesNotCopied", double(run.problems.size())},
        {"files", files},
    };
}

// The lines with a start time, the key of a run; a line from a later version with an
// outcome this one does not know is kept for it, though not shown.
QList<QJsonObject> readLog(const QString& path, const char* name) {
    JsonLines lines = readJsonLines(path);
    const auto kept =
        std::remove_if(lines.objects.begin(), lines.objects.end(), [](const QJsonObject& line) {
            return !timeOf(line.value("start")).isValid();
        });
    const int damaged = lines.damaged + int(lines.objects.end() - kept);
    lines.objects.erase(kept, lines.objects.end());
    if (damaged > 0)
        qWarning("%s: %d damaged line(s) skipped", name, damaged);
    return lines.objects;
}

// Puts `line` in the place of the run line with the same start time, or at the end (a
// note always), and keeps only the newest `keep` lines.
SaveResult replaceOrAppend(const QString& path, const char* name, const QJsonObject& line,
                           int keep) {
    QList<QJsonObject> lines = readLog(path, name);
    const QDateTime started = timeOf(line.value("start"));
    const bool note = line.contains("note");
    const auto same = std::find_if(lines.begin(), lines.end(), [&](const QJsonObject& old) {
        return !note && !old.contains("note") && timeOf(old.value("start")) == started;
    });
    if (same != lines.end())
        *same = line;
    else
        lines.append(line);
    if (lines.size() > keep)
        lines.remove(0, lines.size() - keep);
    return writeJsonLines(path, lines);
}

} // namespace

HistoryEntry HistoryEntry::of(const BackupRunResult& run) {
    return {run, run.problems.size()};
}

QString triggerToken(RunTrigger trigger) {
    return tokenOf(TriggerTokens, trigger);
}

QString outcomeToken(RunOutcome outcome) {
    return tokenOf(OutcomeTokens, outcome);
}

BackupHistoryLog::BackupHistoryLog(const Platform& platform, const ProgramValues& values)
    : platform_(platform)
    , values_(values) {
}

QString BackupHistoryLog::historyPath(const ProgramValues& values) {
    return DataFiles::path(values.DataDIR, DataFile::BackupHistory);
}

QString BackupHistoryLog::problemsPath(const ProgramValues& values) {
    return DataFiles::path(values.DataDIR, DataFile::BackupProblems);
}

QString BackupHistoryLog::nativePath(const QString& windowsPath) const {
    return platform_.nativePath(windowsPath);
}

SaveResult BackupHistoryLog::record(const BackupRunResult& run) const {
    if (const QString problem = DataFiles::makeFolder(platform_, values_.DataDIR);
        !problem.isEmpty())
        return {false, problem};
    SaveResult saved = replaceOrAppend(nativePath(historyPath(values_)), "BackupHistory.log",
                                       historyLine(run), KeptRuns);
    // A later update of the run that carries no list leaves the one recorded alone.
    if (saved && !run.problems.isEmpty()) {
        saved = replaceOrAppend(nativePath(problemsPath(values_)), "BackupProblems.log",
                                problemsLine(run), KeptProblemRuns);
    }
    return saved;
}

SaveResult BackupHistoryLog::recordNote(const QDateTime& when, const QString& text) const {
    if (const QString problem = DataFiles::makeFolder(platform_, values_.DataDIR);
        !problem.isEmpty())
        return {false, problem};
    const QJsonObject line{
        {"date", when.date().toString(Qt::ISODate)}, {"start", timeText(when)}, {"note", text}};
    return replaceOrAppend(nativePath(historyPath(values_)), "BackupHistory.log", line, KeptRuns);
}

QList<HistoryEntry> BackupHistoryLog::runs() const {
    QList<HistoryEntry> entries;
    for (const QJsonObject& line : readLog(nativePath(historyPath(values_)), "BackupHistory.log")) {
        if (auto entry = entryOf(line))
            entries.append(std::move(*entry));
    }
    return entries;
}

std::optional<QList<FileProblem>> BackupHistoryLog::problemsOf(const QDateTime& started) const {
    for (const QJsonObject& line :
         readLog(nativePath(problemsPath(values_)), "BackupProblems.log")) {
        if (timeOf(line.value("start")) != started)
            continue;
        QList<FileProblem> problems;
        for (const QJsonValue& file : line.value("files").toArray()) {
            const QJsonObject object = file.toObject();
            problems.append({object.value("path").toString(), object.value("reason").toString()});
        }
        return problems;
    }
    return std::nullopt;
}

std::optional<QDateTime> BackupHistoryLog::lastBackupEnd() const {
    std::optional<QDateTime> last;
    for (const HistoryEntry& entry : runs()) {
        if (entry.run.isBackup() && (!last || entry.run.finished > *last))
            last = entry.run.finished;
    }
    return last;
}

} // namespace tillora
