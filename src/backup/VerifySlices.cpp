#include "VerifySlices.h"

#include "ContentHash.h"

namespace tillora {

QString VerifySlices::keyOf(const QString& pathBelowBackup) {
    QString key = pathBelowBackup.toCaseFolded();
    key.replace(u'/', u'\\');
    while (key.startsWith(u'\\'))
        key.remove(0, 1);
    return key;
}

QString VerifySlices::folderKey(const QString& folderBelowBackup) {
    const QString key = keyOf(folderBelowBackup);
    return key.isEmpty() || key.endsWith(u'\\') ? key : key + u'\\';
}

int VerifySlices::sliceOf(const QString& key) {
    return int(stableTextHash(key) % Count);
}

bool VerifySlices::due(const Position& at, const QString& key) {
    return sliceOf(key) == at.slice && (at.after.isEmpty() || key.compare(at.after) > 0);
}

VerifySlices::Position VerifySlices::next(const Position& at, bool finished,
                                          const QString& lastKey) {
    if (finished)
        return {(at.slice + 1) % Count, {}};
    return {at.slice, lastKey.isEmpty() ? at.after : lastKey};
}

} // namespace tillora
