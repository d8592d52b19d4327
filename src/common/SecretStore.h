#pragma once

#include "FileSave.h"

#include <QString>

namespace tillora {

// The program's own secrets (a push token, the off-site repository's password and keys)
// in one owner-only file in the user's own settings folder, never under the data folder:
// the nightly run copies that folder to the backup drive. Keys are "Group/Key".
// Values never go into a log or a message.
class SecretStore {
public:
    // `folder` is a native path; the default is the user's application settings folder
    // (~/.config/<program> on Linux, %LOCALAPPDATA%\<program> on Windows).
    explicit SecretStore(QString folder = defaultFolder());

    static QString defaultFolder();

    QString value(const QString& key) const;
    // Sets one secret; an empty value removes it. The file is rewritten whole.
    SaveResult setValue(const QString& key, const QString& value);

    QString filePath() const;

private:
    QString folder_;
};

} // namespace tillora
