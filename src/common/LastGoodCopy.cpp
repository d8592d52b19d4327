#include "LastGoodCopy.h"

#include "FileSave.h"

#include <QDir>
#include <QFileInfo>

namespace tillora {

FileToRead originalOrLastCopy(const QString& original, const QString& copy) {
    const QFileInfo folder(QFileInfo(original).absolutePath());
    if (!folder.isDir() || !folder.isReadable())
        return {copy, true};
    if (!QFileInfo::exists(original)) {
        QFile::remove(copy);
        return {original, false};
    }
    const auto bytes = readWholeFile(original);
    if (!bytes)
        return {copy, true};
    if (readWholeFile(copy) != bytes) {
        QDir().mkpath(QFileInfo(copy).absolutePath());
        // Owner-only: the copy of the data folder's files is read by this program alone.
        if (const SaveResult saved =
                saveFileAtomically(copy, *bytes, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            !saved)
            qWarning("the last good copy %s was not written: %s", qUtf8Printable(copy),
                     qUtf8Printable(saved.reason));
    }
    return {original, false};
}

} // namespace tillora
