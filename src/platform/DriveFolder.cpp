#include "DriveFolder.h"

#include <QDir>
#include <QFileInfo>

namespace tillora {

DriveFolder::DriveFolder(QString folder)
    : folder_(std::move(folder)) {
}

QString DriveFolder::defaultFolder() {
    const QString prefix = qEnvironmentVariable("WINEPREFIX");
    if (!prefix.isEmpty())
        return QDir(prefix).filePath(QStringLiteral("dosdevices"));
    return QDir::home().filePath(QStringLiteral(".wine/dosdevices"));
}

QString matchComponent(const QString& directory, const QString& component) {
    if (component.isEmpty() || component == u'.' || component == QLatin1String(".."))
        return component;
    const QDir dir(directory);
    if (dir.exists(component))
        return component;
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(component, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return component;
}

QString DriveFolder::resolve(const QString& windowsPath) const {
    QString path = windowsPath;
    path.replace(u'\\', u'/');
    const bool hasDrive = path.size() >= 2 && path[1] == u':' && path[0].isLetter();
    if (!hasDrive)
        return path;

    QString current = driveRoot(path.left(2));
    if (current.isEmpty())
        current = QDir(folder_).filePath(path.left(2).toLower());
    const QStringList parts = path.mid(2).split(u'/', Qt::SkipEmptyParts);
    for (const QString& part : parts)
        current += u'/' + matchComponent(current, part);
    if (path.endsWith(u'/') && !current.endsWith(u'/'))
        current += u'/';
    return current;
}

QStringList DriveFolder::letters() const {
    QStringList letters;
    const QDir dir(folder_);
    const QStringList entries = dir.entryList(
        QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString& entry : entries) {
        // Drive entries only: "c:", not the raw devices "c::" Wine keeps beside them.
        if (entry.size() == 2 && entry[0].isLetter() && entry[1] == u':') {
            const QString letter = entry.toLower();
            if (!letters.contains(letter))
                letters.append(letter);
        }
    }
    letters.sort();
    return letters;
}

QString DriveFolder::driveRoot(const QString& letter) const {
    if (letter.size() != 2 || letter[1] != u':')
        return {};
    const QString name = matchComponent(folder_, letter.toLower());
    const QString root = QDir(folder_).filePath(name);
    if (!QFileInfo(root).isDir())
        return {};
    return root;
}

} // namespace tillora
