#include "Outbox.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

#include <optional>

namespace tillora {

namespace {

// The names channels have in the file; fixed, whatever the logs call them.
QString channelKey(Channel channel) {
    switch (channel) {
    case Channel::Gateway:
        return QStringLiteral("gateway");
    case Channel::Email:
        return QStringLiteral("email");
    case Channel::Push:
        return QStringLiteral("push");
    }
    return {};
}

std::optional<Channel> channelFromKey(const QString& key) {
    for (Channel channel : {Channel::Gateway, Channel::Email, Channel::Push}) {
        if (channelKey(channel) == key)
            return channel;
    }
    return std::nullopt;
}

QByteArray toLine(const OutboxEntry& entry) {
    QJsonArray channels;
    for (Channel channel : entry.channelsOwed)
        channels.append(channelKey(channel));
    const QJsonObject object{
        {QStringLiteral("id"), entry.id},
        {QStringLiteral("created"), entry.created.toUTC().toString(Qt::ISODate)},
        {QStringLiteral("subject"), entry.message.subject},
        {QStringLiteral("text"), entry.message.text},
        {QStringLiteral("alert"), entry.message.alert},
        {QStringLiteral("channels"), channels},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

// An entry, or nothing when the line is not one whole entry owing a known channel.
std::optional<OutboxEntry> fromLine(const QByteArray& line) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    OutboxEntry entry;
    entry.id = object.value(QStringLiteral("id")).toString();
    entry.created =
        QDateTime::fromString(object.value(QStringLiteral("created")).toString(), Qt::ISODate);
    const QJsonValue subject = object.value(QStringLiteral("subject"));
    const QJsonValue text = object.value(QStringLiteral("text"));
    if (entry.id.isEmpty() || !entry.created.isValid() || !subject.isString() || !text.isString())
        return std::nullopt;
    entry.message = {subject.toString(), text.toString(),
                     object.value(QStringLiteral("alert")).toBool()};
    for (const QJsonValue& key : object.value(QStringLiteral("channels")).toArray()) {
        const auto channel = channelFromKey(key.toString());
        if (channel && !entry.channelsOwed.contains(*channel))
            entry.channelsOwed.append(*channel);
    }
    if (entry.channelsOwed.isEmpty())
        return std::nullopt;
    return entry;
}

} // namespace

Outbox::Outbox(QString nativePath)
    : path_(std::move(nativePath)) {
    load();
}

void Outbox::load() {
    const auto bytes = readWholeFile(path_);
    if (!bytes)
        return;
    int damaged = 0;
    for (const QByteArray& line : bytes->split('\n')) {
        if (line.trimmed().isEmpty())
            continue;
        if (auto entry = fromLine(line))
            entries_.append(*entry);
        else
            ++damaged;
    }
    // The damaged lines go with the next rewrite; the rest are kept.
    if (damaged > 0)
        qWarning("outbox %s: %d damaged line(s) dropped", qUtf8Printable(path_), damaged);
}

QList<OutboxEntry> Outbox::entries() const {
    const std::lock_guard lock(lock_);
    return entries_;
}

SaveResult Outbox::lastSave() const {
    const std::lock_guard lock(lock_);
    return lastSave_;
}

OutboxEntry Outbox::add(const NotifyMessage& message, const QDateTime& created,
                        const QList<Channel>& channels) {
    OutboxEntry entry{QUuid::createUuid().toString(QUuid::WithoutBraces), message, created,
                      channels};
    if (channels.isEmpty())
        return entry;
    const std::lock_guard lock(lock_);
    entries_.append(entry);
    save();
    return entry;
}

void Outbox::markSent(const QString& id, const QList<Channel>& sent) {
    const std::lock_guard lock(lock_);
    bool changed = false;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->id == id) {
            changed = it->channelsOwed.removeIf([&](Channel c) { return sent.contains(c); }) > 0;
            if (it->channelsOwed.isEmpty()) {
                it = entries_.erase(it);
                continue;
            }
        }
        ++it;
    }
    if (changed)
        save();
}

int Outbox::dropExpired(const QDateTime& now) {
    const std::lock_guard lock(lock_);
    const auto expired = entries_.removeIf([&](const OutboxEntry& entry) {
        if (entry.created.addDays(KeepDays) > now)
            return false;
        qWarning("outbox: \"%s\" of %s given up after %d days unsent",
                 qUtf8Printable(entry.message.subject),
                 qUtf8Printable(entry.created.toString(Qt::ISODate)), KeepDays);
        return true;
    });
    if (expired > 0)
        save();
    return int(expired);
}

void Outbox::save() {
    QByteArray bytes;
    for (const OutboxEntry& entry : entries_)
        bytes += toLine(entry);
    const bool wasOk = lastSave_.ok;
    lastSave_ = saveFileAtomically(path_, bytes);
    // A full disk would fail every write until space is made: told once.
    if (!lastSave_ && wasOk)
        qWarning("outbox %s cannot be written: %s; unsent messages are kept in memory",
                 qUtf8Printable(path_), qUtf8Printable(lastSave_.reason));
}

void moveOutboxFile(const QString& oldPath, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (QFileInfo(oldPath).isFile() && !QFileInfo::exists(path) && !QFile::rename(oldPath, path))
        qWarning("outbox %s was not moved to %s: its alerts are not sent", qUtf8Printable(oldPath),
                 qUtf8Printable(path));
}

} // namespace tillora
