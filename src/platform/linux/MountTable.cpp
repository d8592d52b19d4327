#include "MountTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tillora {

namespace {

// Both files write a blank in a path as "\040" (and tab, newline, backslash likewise).
QString unescapeOctal(const QByteArray& field) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '7') {
            out += char(field.mid(i + 1, 3).toInt(nullptr, 8));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return QDir::cleanPath(QFile::decodeName(out));
}

// Field `index` (from 0) of every line that is not blank or a comment.
QStringList fieldOfEachLine(const QByteArray& text, int index) {
    QStringList paths;
    for (const QByteArray& line : text.split('\n')) {
        const QByteArray trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            continue;
        const QList<QByteArray> fields = trimmed.simplified().split(' ');
        if (fields.size() > index)
            paths.append(unescapeOctal(fields[index]));
    }
    return paths;
}

QByteArray readSystemFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

MountTable MountTable::read() {
    return {parseFstab(readSystemFile(QStringLiteral("/etc/fstab"))),
            parseMountInfo(readSystemFile(QStringLiteral("/proc/self/mountinfo")))};
}

QStringList MountTable::parseFstab(const QByteArray& text) {
    return fieldOfEachLine(text, 1); // device, mount point, type, options, ...
}

QStringList MountTable::parseMountInfo(const QByteArray& text) {
    return fieldOfEachLine(text, 4); // id, parent, device, root, mount point, ...
}

bool MountTable::isUnmountedMountPoint(const QString& folder) const {
    const QString path = QFileInfo(folder).canonicalFilePath();
    if (path.isEmpty())
        return false;
    auto listed = [&path](const QStringList& points) {
        for (const QString& point : points) {
            const QString canonical = QFileInfo(point).canonicalFilePath();
            if (point == path || canonical == path)
                return true;
        }
        return false;
    };
    return listed(configured) && !listed(mounted);
}

} // namespace tillora
