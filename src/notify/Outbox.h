#pragma once

#include "FileSave.h"
#include "Notifier.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <mutex>

namespace tillora {

// One message not yet delivered on every channel it was meant for.
struct OutboxEntry {
    QString id; // stays the same across restarts, so a late answer finds its entry
    NotifyMessage message;
    QDateTime created;
    QList<Channel> channelsOwed; // never empty: an entry with nothing owed is removed
};

// Messages that still owe a send on some channel, kept in a file of JSON lines so they
// survive a restart. The file is rewritten whole and atomically on every change; the
// entries are kept in memory too, so a disk that is full loses nothing while the program
// runs. Safe on any thread: a send records each channel's answer from its worker.
class Outbox {
public:
    static constexpr int KeepDays = 7; // an entry older than this is given up

    // Reads the file; lines that do not parse are dropped with one log line.
    explicit Outbox(QString nativePath);

    QList<OutboxEntry> entries() const;
    const QString& path() const { return path_; }

    // Adds a message owed on `channels` and saves; returns the new entry.
    OutboxEntry add(const NotifyMessage& message, const QDateTime& created,
                    const QList<Channel>& channels);
    // The channels of `sent` took the message: they are owed no more.
    void markSent(const QString& id, const QList<Channel>& sent);
    // Removes entries older than KeepDays at `now`; returns how many went.
    int dropExpired(const QDateTime& now);

    // The outcome of the last write; a failure is logged once until a write succeeds.
    SaveResult lastSave() const;

private:
    void load();
    void save(); // with lock_ held

    mutable std::mutex lock_;
    QString path_;
    QList<OutboxEntry> entries_;
    SaveResult lastSave_{true, {}};
};

// Moves the outbox an earlier version kept at `oldPath` to `path` when none is there yet,
// making the folder.
void moveOutboxFile(const QString& oldPath, const QString& path);

} // namespace tillora
