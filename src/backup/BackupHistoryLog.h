#pragma once

#include "BackupRunResult.h"
#include "FileSave.h"

#include <QList>
#include <QString>

#include <optional>

namespace tillora {

class Platform;
struct ProgramValues;

// One run as the history keeps it. The paths of the files not copied live in the problems
// log, and only for the last runs, so the history carries their count.
struct HistoryEntry {
    BackupRunResult run; // problems empty
    qint64 filesNotCopied = 0;

    static HistoryEntry of(const BackupRunResult& run);
};

// The backup's run history: <DataDIR>ini\BackupHistory.log with one line per run (the last
// 1,000), and <DataDIR>ini\BackupProblems.log with the files not copied of the last 30 runs
// that had any. Both are JSON lines, rewritten whole through a new file and a rename.
class BackupHistoryLog {
public:
    static constexpr int KeptRuns = 1000;
    static constexpr int KeptProblemRuns = 30;
    // A run that failed on every file (a full drive) would otherwise write a line of
    // megabytes each night; the count of all of them is kept.
    static constexpr int KeptProblemsPerRun = 2000;

    BackupHistoryLog(const Platform& platform, const ProgramValues& values);

    static QString historyPath(const ProgramValues& values);  // "c:\Tillora\ini\BackupHistory.log"
    static QString problemsPath(const ProgramValues& values); // "c:\Tillora\ini\BackupProblems.log"

    // Writes the run's line, replacing the line with the same start time when there is one
    // (a later step of the same night completes its record), else appending it. Fields of
    // a line this program does not know are kept on the other lines.
    SaveResult record(const BackupRunResult& run) const;
    // A line about the program rather than a run (settings that could not be saved), kept
    // among the runs in time order; runs() passes over it.
    SaveResult recordNote(const QDateTime& when, const QString& text) const;

    // The runs in the order they were first recorded; damaged lines are skipped.
    QList<HistoryEntry> runs() const;
    // The files not copied of the run that started at `started`; nothing when the problems
    // log no longer holds that run.
    std::optional<QList<FileProblem>> problemsOf(const QDateTime& started) const;
    // When the last run that counts as a backup ended.
    std::optional<QDateTime> lastBackupEnd() const;

private:
    QString nativePath(const QString& windowsPath) const;

    const Platform& platform_;
    const ProgramValues& values_;
};

// The words the log stores for a trigger and an outcome ("catch-up", "network-failed").
QString triggerToken(RunTrigger trigger);
QString outcomeToken(RunOutcome outcome);

} // namespace tillora
