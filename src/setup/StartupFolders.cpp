#include "StartupFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace tillora {

StartupFolders StartupFolders::below(const QString& allUsersFolder) {
    const QString base = allUsersFolder.trimmed();
    return {base + QStringLiteral("\\Start Menu\\Programs\\Startup"),
            base + QStringLiteral("\\Start Menu\\Programs\\Tillora")};
}

QString stripAtNul(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

ProfileFolders readProfileFolders(const Platform& platform) {
    const ProfileFolders folders = platform.profileFolders();
    return {stripAtNul(folders.allUsers), stripAtNul(folders.defaultUser),
            stripAtNul(folders.profilesRoot), stripAtNul(folders.currentUser)};
}

QStringList listFiles(const QString& nativeFolder, const QString& pattern) {
    const QDir dir(nativeFolder);
    if (nativeFolder.isEmpty() || !dir.exists())
        return {};
    // System: on Windows, shortcuts whose program is gone are listed too (Qt reads a
    // shortcut as a link to its program); on Linux it adds FIFOs and sockets, left out again.
    QStringList names = dir.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name | QDir::IgnoreCase);
    names.removeIf([&](const QString& name) {
        const QFileInfo entry(dir.filePath(name));
        return !entry.isFile() && !entry.isShortcut();
    });
    // Windows reads "*.*" as "every file"; a literal match would drop names without a dot.
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
        return names;
    const QRegularExpression match = QRegularExpression::fromWildcard(pattern, Qt::CaseInsensitive);
    names.removeIf([&](const QString& name) { return !match.match(name).hasMatch(); });
    return names;
}

} // namespace tillora
