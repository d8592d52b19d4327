#include "MonitorSection.h"

#include "MonitorPing.h"
#include "SecretStore.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

namespace tillora {

MonitorSection::MonitorSection(SecretStore& secrets, QWidget* parent)
    : QGroupBox(QStringLiteral("Watcher outside this PC"), parent)
    , pingUrl(new QLineEdit(this))
    , unencrypted(new QLabel(QStringLiteral("This address starts with http://: the ping goes "
                                            "unencrypted."),
                             this))
    , secrets_(secrets) {
    setObjectName(QStringLiteral("MonitorSection"));
    pingUrl->setObjectName(QStringLiteral("MonitorPingURL"));
    unencrypted->setObjectName(QStringLiteral("MonitorUnencrypted"));
    pingUrl->setPlaceholderText(QStringLiteral("https://hc-ping.com/<your check's key>"));
    // The URL holds the check's key: shown only while it is typed.
    pingUrl->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    unencrypted->setWordWrap(true);

    auto* what = new QLabel(QStringLiteral("A monitoring service (Healthchecks, Uptime Kuma) "
                                           "expects a ping after every night's backup and "
                                           "tells you when none comes, even when this PC is "
                                           "dead. Empty: no ping."),
                            this);
    what->setWordWrap(true);
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Ping URL"), pingUrl);
    layout->addRow(what);
    layout->addRow(unencrypted);

    pingUrl->setText(secrets_.value(MonitorPingUrlKey));
    const auto showScheme = [this] {
        unencrypted->setVisible(
            pingUrl->text().trimmed().startsWith(QLatin1String("http://"), Qt::CaseInsensitive));
    };
    showScheme();
    connect(pingUrl, &QLineEdit::textChanged, this, showScheme);
}

QString MonitorSection::problem() const {
    return pingUrlProblem(pingUrl->text());
}

SaveResult MonitorSection::save() const {
    return secrets_.setValue(MonitorPingUrlKey, pingUrl->text().trimmed());
}

} // namespace tillora
