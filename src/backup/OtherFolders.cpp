#include "OtherFolders.h"

#include "NativeFiles.h"

#include <QSet>

namespace tillora {

namespace fs = std::filesystem;

namespace {

class FolderWalk {
public:
    explicit FolderWalk(const QStringList& stepSuffixes) {
        for (const QString& step : stepSuffixes) {
            const QString lower = step.toLower();
            steps_.insert(lower);
            for (qsizetype at = lower.indexOf(u'\\', 1); at > 0; at = lower.indexOf(u'\\', at + 1))
                onTheWay_.insert(lower.left(at));
        }
    }

    // `branch` is empty while the walk is on the steps or on the way to one.
    void visit(const fs::path& folder, const QString& suffix, const QString& branch) {
        const FolderListing listing = listFolder(folder);
        if (!listing.readable)
            return;
        if (!suffix.isEmpty() && !steps_.contains(suffix.toLower()) && !listing.files.empty())
            found_.append(
                {suffix, branch.isEmpty() ? suffix : branch, qint64(listing.files.size())});
        for (const fs::path& name : listing.folders) {
            const fs::path path = folder / name;
            if (fileFacts(path, false).kind != FileFacts::Kind::Folder)
                continue;
            const QString child = suffix + u'\\' + displayName(name);
            const bool named =
                steps_.contains(child.toLower()) || onTheWay_.contains(child.toLower());
            visit(path, child, branch.isEmpty() && !named ? child : branch);
        }
    }

    QList<OtherFolder> found() const { return found_; }

private:
    QSet<QString> steps_;
    QSet<QString> onTheWay_; // the folders above a step
    QList<OtherFolder> found_;
};

} // namespace

QList<OtherFolder> otherFolders(const fs::path& productFolder, const QStringList& stepSuffixes) {
    FolderWalk walk(stepSuffixes);
    walk.visit(productFolder, QString(), QString());
    return walk.found();
}

} // namespace tillora
