#include "ResticJson.h"

#include "JsonLines.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tillora {

namespace {

qint64 count(const QJsonObject& object, const char* name) {
    return jsonCount(object.value(QLatin1String(name)));
}

QString errorText(const QJsonValue& error) {
    // restic writes an error as a string or as an object with a message, by version.
    if (error.isString())
        return error.toString();
    return error.toObject().value(QLatin1String("message")).toString();
}

} // namespace

std::optional<ResticProgress> ResticBackupOutput::addLine(const QByteArray& line) {
    const QJsonObject object = QJsonDocument::fromJson(line).object();
    const QString type = object.value(QLatin1String("message_type")).toString();
    if (type == QLatin1String("status")) {
        return ResticProgress{object.value(QLatin1String("percent_done")).toDouble(),
                              count(object, "files_done"), count(object, "total_files"),
                              count(object, "bytes_done"), count(object, "total_bytes")};
    }
    if (type == QLatin1String("summary")) {
        summary_ = ResticSummary{count(object, "files_new"),
                                 count(object, "files_changed"),
                                 count(object, "files_unmodified"),
                                 count(object, "data_added"),
                                 object.value(QLatin1String("total_duration")).toDouble(),
                                 object.value(QLatin1String("snapshot_id")).toString()};
    } else if (type == QLatin1String("error")) {
        const QString item = object.value(QLatin1String("item")).toString();
        const QString what = errorText(object.value(QLatin1String("error")));
        unreadable_.append(what.isEmpty() ? item : item + QStringLiteral(": ") + what);
    }
    return std::nullopt;
}

std::optional<QList<ResticSnapshot>> parseResticSnapshots(const QByteArray& json) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QList<ResticSnapshot> snapshots;
    for (const QJsonValue& value : document.array()) {
        const QJsonObject object = value.toObject();
        ResticSnapshot snapshot;
        snapshot.time = QDateTime::fromString(object.value(QLatin1String("time")).toString(),
                                              Qt::ISODateWithMs);
        snapshot.hostname = object.value(QLatin1String("hostname")).toString();
        for (const QJsonValue& tag : object.value(QLatin1String("tags")).toArray())
            snapshot.tags.append(tag.toString());
        snapshot.id = object.value(QLatin1String("id")).toString();
        snapshot.shortId = object.value(QLatin1String("short_id")).toString();
        if (snapshot.shortId.isEmpty())
            snapshot.shortId = snapshot.id.left(8);
        snapshots.append(snapshot);
    }
    return snapshots;
}

std::optional<QList<ResticFile>> parseResticFiles(const QByteArray& output) {
    bool snapshotSeen = false;
    QList<ResticFile> files;
    for (const QByteArray& line : output.split('\n')) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        const QString kind = object.value(QLatin1String("struct_type")).toString();
        if (kind == QLatin1String("snapshot"))
            snapshotSeen = true;
        if (kind != QLatin1String("node") ||
            object.value(QLatin1String("type")).toString() != QLatin1String("file"))
            continue;
        files.append({object.value(QLatin1String("path")).toString(),
                      QDateTime::fromString(object.value(QLatin1String("mtime")).toString(),
                                            Qt::ISODateWithMs),
                      count(object, "size")});
    }
    if (!snapshotSeen)
        return std::nullopt;
    return files;
}

QString resticReason(const QByteArray& errorOutput) {
    const QString text = QString::fromUtf8(errorOutput);
    // restic may write "Fatal: " straight after a line of its clean-up, without a line end.
    if (const qsizetype fatal = text.indexOf(QLatin1String("Fatal: ")); fatal >= 0)
        return text.mid(fatal + 7).section(u'\n', 0, 0).trimmed();
    const QStringList lines = text.split(u'\n', Qt::SkipEmptyParts);
    // Retries of an upload and the clean-up after the failure are not the failure: with
    // the server gone, the last line is the lock that could not be removed.
    const auto followsTheCause = [](const QString& line) {
        return line.contains(QLatin1String("retrying after")) ||
               line.startsWith(QLatin1String("error in cleanup handler")) ||
               line.startsWith(QLatin1String("error while unlocking"));
    };
    for (const QString& line : lines) {
        if (!line.trimmed().isEmpty() && !followsTheCause(line))
            return line.trimmed();
    }
    return lines.isEmpty() ? QString() : lines.last().trimmed();
}

} // namespace tillora
