#include "StartupFolders.h"

#include <QDir>
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
    QStringList names =
        dir.entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    // Windows reads "*.*" as "every file"; a literal match would drop names without a dot.
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
        return names;
    const QRegularExpression match = QRegularExpression::fromWildcard(pattern, Qt::CaseInsensitive);
    names.removeIf([&](const QString& name) { return !match.match(name).hasMatch(); });
    return names;
}

} // namespace tillora
