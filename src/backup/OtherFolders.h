#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <filesystem>

namespace tillora {

// A folder below a product's folder that holds files and that no step copies.
struct OtherFolder {
    QString suffix;   // below the product folder, as the source spells it: "\data\big\old"
    QString branch;   // the topmost such folder it lies in ("\data\big"), or itself for a
                      // folder on the way to a step ("\Loyvana" above "\Loyvana\Deleted")
    qint64 files = 0; // its own files
};

// The folders below `productFolder` (a native path) that hold files and that none of the
// product's `stepSuffixes` ("\data", "\Delivery\Out", matched without regard to case)
// names, parents before children. Links to folders are not followed: they lead out of the
// product, or round in a circle.
QList<OtherFolder> otherFolders(const std::filesystem::path& productFolder,
                                const QStringList& stepSuffixes);

} // namespace tillora
