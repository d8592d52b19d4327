#pragma once

#include <QString>

namespace tillora {

class Platform;

// The program's own files, all in the folder "ini" of the data folder (DataDIR).
enum class DataFile {
    Autobackup,     // Autobackup.dat: the backup settings
    BackupOptions,  // BackupOptions.ini: the backup's and the off-site copy's options
    Notify,         // Notify.ini: delivery of messages to the owner, and the alerts
    Outbox,         // Outbox.dat: alerts not yet sent
    BackupHistory,  // BackupHistory.log: one line per run
    BackupProblems, // BackupProblems.log: the files not copied of the last runs
    MobileText,     // MobileText.dat: the texting settings
    MailServer,     // MailServer.dat: the mail server of the texts
    SalesDays,      // SalesDays.log: the day's totals as each report and summary read them
};

// Where each data file lives, in Windows form; `dataDir` ends in a backslash.
struct DataFiles {
    static QString fileName(DataFile file);                     // "Notify.ini"
    static QString folder(const QString& dataDir);              // "c:\Tillora\ini\"
    static QString path(const QString& dataDir, DataFile file); // "c:\Tillora\ini\Notify.ini"
    // Makes the folder when it is missing, never on a drive that is not there. Empty when
    // the folder is there; otherwise why it is not, in the owner's words.
    static QString makeFolder(const Platform& platform, const QString& dataDir);
};

// The program's own state in the user's settings folder, as native paths: what an alert
// needs must not depend on the data drive whose failure it may report.
struct UserFiles {
    static QString outbox(const Platform& platform); // Outbox.dat
    // The last good copies of what the alerts are sent with (Notify.ini, MailServer.dat,
    // MobileText.dat, the servers' CA files).
    static QString copyFolder(const Platform& platform); // "delivery-copy"
    static QString copyOf(const Platform& platform, DataFile file);
    // The day the day summary last went out: a restart the same day sends it no second time.
    static QString daySummaryMark(const Platform& platform); // DaySummary.mark
};

} // namespace tillora
