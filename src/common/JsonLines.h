#pragma once

#include "FileSave.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

namespace tillora {

// Logs of one JSON object per line (UTF-8), so any path, quote or line break inside a
// value is escaped and a line is a record.

struct JsonLines {
    QList<QJsonObject> objects; // in file order
    int damaged = 0;            // lines that are not a JSON object, skipped
};

// Every line of the file that parses as an object; a missing file reads as empty. A line
// cut short by a crash or edited by hand is skipped and counted, the rest kept.
JsonLines readJsonLines(const QString& nativePath);

// Replaces the file with these objects, one per line, through a new file and a rename, so
// a crash or a full disk never loses the lines already there.
SaveResult writeJsonLines(const QString& nativePath, const QList<QJsonObject>& objects);

// A count or a size read from a file or a tool's output: a whole number from 0 to the
// largest qint64. A negative, missing or non-numeric value reads as 0, and a huge one as
// the largest, since converting a double beyond qint64 is undefined.
qint64 jsonCount(const QJsonValue& value);

} // namespace tillora
