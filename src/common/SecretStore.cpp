#include "SecretStore.h"

#include "IniFile.h"

#include <QDir>
#include <QStandardPaths>

namespace tillora {

namespace {

constexpr auto OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

} // namespace

SecretStore::SecretStore(QString folder)
    : folder_(std::move(folder)) {
}

QString SecretStore::defaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

QString SecretStore::filePath() const {
    return QDir(folder_).filePath(QStringLiteral("secrets.ini"));
}

QString SecretStore::value(const QString& key) const {
    return readIniFile(filePath()).value(key).toString();
}

SaveResult SecretStore::setValue(const QString& key, const QString& value) {
    if (folder_.isEmpty())
        return {false, QStringLiteral("there is no settings folder for this user")};
    if (!QDir().mkpath(folder_))
        return {false, QStringLiteral("the folder %1 cannot be created").arg(folder_)};
    QFile::setPermissions(folder_, OwnerOnly | QFileDevice::ExeOwner);
    QVariantMap values = readIniFile(filePath());
    if (value.isEmpty())
        values.remove(key);
    else
        values.insert(key, value);
    return writeIniFile(filePath(), values, OwnerOnly);
}

} // namespace tillora
