#include "AlertsSection.h"

#include "AlertSettings.h"
#include "BackupAlertService.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>

namespace tillora {

QString outcomesInWords(const QList<ChannelOutcome>& outcomes) {
    if (outcomes.isEmpty())
        return QStringLiteral("No channel is switched on.");
    QStringList sent;
    QStringList failed;
    for (const ChannelOutcome& outcome : outcomes) {
        if (outcome.sent)
            sent.append(channelName(outcome.channel));
        else
            failed.append(channelName(outcome.channel) + QStringLiteral(": ") + outcome.reason);
    }
    QStringList parts;
    if (!sent.isEmpty())
        parts.append(QStringLiteral("Sent by ") + sent.join(QStringLiteral(", ")) + u'.');
    if (!failed.isEmpty())
        parts.append(QStringLiteral("Not sent by ") + failed.join(QStringLiteral("; ")) + u'.');
    return parts.join(u' ');
}

AlertsSection::AlertsSection(const Platform& platform, const ProgramValues& values,
                             BackupAlertService& alerts, QWidget* parent)
    : QGroupBox(QStringLiteral("Backup alerts"), parent)
    , backupFailed(new QCheckBox(QStringLiteral("Tell me when a night's backup fails or "
                                                "leaves files out"),
                                 this))
    , staleAfterDays(new QSpinBox(this))
    , weekly(new QCheckBox(QStringLiteral("Send a summary of the week's backups on Monday"), this))
    , testAlert(new QPushButton(QStringLiteral("Send test alert"), this))
    , testResult(new QLabel(this))
    , platform_(platform)
    , values_(values)
    , alerts_(alerts) {
    setObjectName(QStringLiteral("AlertsSection"));
    backupFailed->setObjectName(QStringLiteral("AlertBackupFailed"));
    staleAfterDays->setObjectName(QStringLiteral("AlertStaleAfterDays"));
    weekly->setObjectName(QStringLiteral("AlertWeekly"));
    testAlert->setObjectName(QStringLiteral("SendTestAlert"));
    testResult->setObjectName(QStringLiteral("TestAlertResult"));
    testResult->setWordWrap(true);

    staleAfterDays->setRange(0, 365);
    staleAfterDays->setSpecialValueText(QStringLiteral("never"));
    staleAfterDays->setSuffix(QStringLiteral(" days"));

    auto* layout = new QFormLayout(this);
    layout->addRow(backupFailed);
    layout->addRow(QStringLiteral("Warn when there has been no backup for"), staleAfterDays);
    layout->addRow(weekly);
    layout->addRow(testAlert, testResult);

    const AlertSettings settings = AlertSettings::load(platform_, values_);
    backupFailed->setChecked(settings.backupFailed);
    staleAfterDays->setValue(settings.staleAfterDays);
    weekly->setChecked(settings.weekly);

    connect(testAlert, &QPushButton::clicked, this, &AlertsSection::sendTestAlert);
}

SaveResult AlertsSection::save() const {
    AlertSettings settings;
    settings.backupFailed = backupFailed->isChecked();
    settings.staleAfterDays = staleAfterDays->value();
    settings.weekly = weekly->isChecked();
    return settings.save(platform_, values_);
}

void AlertsSection::sendTestAlert() {
    testAlert->setEnabled(false);
    testResult->setText(QStringLiteral("Sending..."));
    // The window may be closed before the channels answer.
    QPointer<AlertsSection> self(this);
    alerts_.sendTestAlert([self](const QList<ChannelOutcome>& outcomes) {
        if (!self)
            return;
        self->testResult->setText(outcomesInWords(outcomes));
        self->testAlert->setEnabled(true);
    });
}

} // namespace tillora
