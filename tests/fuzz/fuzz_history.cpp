// The run history's own decoder on any bytes, through the real log over a drive folder:
// the runs it reads, the files not copied of each, the nightly chart, and a run recorded
// again, which reads back.
#include "BackupHistoryLog.h"
#include "FuzzDrive.h"
#include "FuzzInput.h"
#include "NightlyChart.h"
#include "RunSummary.h"

#include <algorithm>

using namespace tillora;
using namespace tillora::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const FuzzDrive drive;
    const BackupHistoryLog log(*drive.platform, drive.values);
    const QByteArray bytes = bytesOf(data, size);
    drive.write(BackupHistoryLog::historyPath(drive.values), bytes);
    drive.write(BackupHistoryLog::problemsPath(drive.values), bytes);

    const QList<HistoryEntry> runs = log.runs();
    for (const HistoryEntry& entry : runs) {
        (void)summarize(entry.run, entry.filesNotCopied);
        (void)log.problemsOf(entry.run.started);
    }
    (void)nightlyBars(runs, QDate(2026, 12, 9));
    (void)log.lastBackupEnd();
    if (runs.isEmpty())
        return 0;

    const BackupRunResult& run = runs.first().run;
    require(log.record(run).ok, "a run read is recorded again");
    const QList<HistoryEntry> after = log.runs();
    require(std::any_of(after.begin(), after.end(),
                        [&](const HistoryEntry& entry) {
                            return entry.run.started == run.started &&
                                   entry.run.outcome == run.outcome;
                        }),
            "a run recorded reads back");
    return 0;
}
