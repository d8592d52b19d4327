#pragma once

#include "FileSave.h"

#include <QGroupBox>

class QLabel;
class QLineEdit;

namespace tillora {

class SecretStore;

// The watcher outside this PC in the delivery window: the ping URL of a monitoring
// service, kept in the secret store since it holds the check's key.
class MonitorSection : public QGroupBox {
    Q_OBJECT
public:
    explicit MonitorSection(SecretStore& secrets, QWidget* parent = nullptr);

    // Empty when the URL may be saved; otherwise a sentence naming the field.
    QString problem() const;
    SaveResult save() const;

    QLineEdit* pingUrl;
    QLabel* unencrypted; // shown while the URL is plain http://

private:
    SecretStore& secrets_;
};

} // namespace tillora
