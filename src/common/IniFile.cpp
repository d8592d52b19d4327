#include "IniFile.h"

#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

namespace tillora {

bool iniBool(const QVariantMap& values, const QString& key, bool fallback) {
    const QString text = values.value(key).toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return fallback;
}

int iniNumber(const QVariantMap& values, const QString& key, int fallback, int lowest,
              int highest) {
    bool ok = false;
    const int number = values.value(key).toString().trimmed().toInt(&ok);
    return ok && number >= lowest && number <= highest ? number : fallback;
}

QVariantMap readIniFile(const QString& nativePath) {
    QVariantMap values;
    if (!QFileInfo(nativePath).isFile())
        return values;
    const QSettings settings(nativePath, QSettings::IniFormat);
    for (const QString& key : settings.allKeys())
        values.insert(key, settings.value(key));
    return values;
}

SaveResult writeIniFile(const QString& nativePath, const QVariantMap& values,
                        std::optional<QFileDevice::Permissions> permissions) {
    // QSettings writes only to a file of its own; it writes a private scratch copy,
    // whose bytes then replace the target in one step.
    const QTemporaryDir scratch;
    if (!scratch.isValid())
        return {false, scratch.errorString()};
    const QString scratchFile = scratch.filePath(QStringLiteral("settings.ini"));
    {
        QSettings settings(scratchFile, QSettings::IniFormat);
        for (auto it = values.begin(); it != values.end(); ++it)
            settings.setValue(it.key(), it.value());
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return {false, QStringLiteral("the settings could not be written")};
    }
    const auto bytes = readWholeFile(scratchFile);
    if (!bytes)
        return {false, QStringLiteral("the settings could not be written")};
    return saveFileAtomically(nativePath, *bytes, permissions);
}

} // namespace tillora
