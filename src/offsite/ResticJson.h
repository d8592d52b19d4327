#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tillora {

// The lines `restic backup --json` prints, one JSON object a line.
struct ResticProgress {
    double fraction = 0; // 0 to 1
    qint64 filesDone = 0;
    qint64 totalFiles = 0;
    qint64 bytesDone = 0;
    qint64 totalBytes = 0;
};

struct ResticSummary {
    qint64 filesNew = 0;
    qint64 filesChanged = 0;
    qint64 filesUnmodified = 0;
    qint64 dataAdded = 0;
    double totalDuration = 0;
    QString snapshotId;
};

// Reads the output of a backup line by line. Lines that are not ours to read (another
// message type, a stray text line) are passed over.
class ResticBackupOutput {
public:
    // The progress the line reports, if it is a status line.
    std::optional<ResticProgress> addLine(const QByteArray& line);

    const std::optional<ResticSummary>& summary() const { return summary_; }
    // Files restic could not read, "path: what went wrong", from the error lines given to
    // addLine (restic writes them to its error output).
    const QStringList& unreadable() const { return unreadable_; }

private:
    std::optional<ResticSummary> summary_;
    QStringList unreadable_;
};

// One snapshot as `restic snapshots --json` lists it (restic 0.14 gives no sizes).
struct ResticSnapshot {
    QDateTime time;
    QString hostname;
    QStringList tags;
    QString id;
    QString shortId;
};

// The snapshots, oldest first; nothing when the text is not a JSON array.
std::optional<QList<ResticSnapshot>> parseResticSnapshots(const QByteArray& json);

// A file of a snapshot as `restic ls --json` lists it: its path in the snapshot ("/home/
// ../c:/Tillora/Tlra.dat"; "/C/Tillora/Tlra.dat" for a Windows path), time and size.
struct ResticFile {
    QString path;
    QDateTime modified;
    qint64 size = 0;
    bool operator==(const ResticFile&) const = default;
};

// The files (not folders or links) of the snapshot `restic ls --json` lists; nothing when
// no line of the output is the snapshot's own.
std::optional<QList<ResticFile>> parseResticFiles(const QByteArray& output);

// restic's own reason from what it wrote to its error channel: its "Fatal:" message when
// it has one, else its first line that is no retry or clean-up; empty when it wrote nothing.
QString resticReason(const QByteArray& errorOutput);

} // namespace tillora
