#include "SummarySection.h"

#include "AlertsSection.h"
#include "DaySummaryService.h"
#include "RunWords.h"
#include "TextSettingsFile.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace tillora {

SummarySection::SummarySection(const Platform& platform, const ProgramValues& values,
                               DaySummaryService& summary, QWidget* parent)
    : QGroupBox(QStringLiteral("Day summary"), parent)
    , enabled(new QCheckBox(QStringLiteral("Send a summary of the day: sales, who is clocked "
                                           "in, the backup"),
                            this))
    , at(new QLineEdit(this))
    , sendTest(new QPushButton(QStringLiteral("Send test summary"), this))
    , testResult(new QLabel(this))
    , platform_(platform)
    , values_(values)
    , summary_(summary) {
    setObjectName(QStringLiteral("SummarySection"));
    enabled->setObjectName(QStringLiteral("SummaryEnabled"));
    at->setObjectName(QStringLiteral("SummaryAt"));
    sendTest->setObjectName(QStringLiteral("SendTestSummary"));
    testResult->setObjectName(QStringLiteral("TestSummaryResult"));
    testResult->setWordWrap(true);

    // Empty means a quarter of an hour after the last report: the placeholder shows when.
    const auto texts = loadTextSettings(platform_, values_);
    const auto fallback = DaySummarySettings{}.sendTime(
        texts && texts->lastReportTime ? *texts->lastReportTime : QString());
    at->setPlaceholderText(fallback ? timeOfDayInWords(*fallback) : QStringLiteral("10:15 pm"));

    auto* layout = new QFormLayout(this);
    layout->addRow(enabled);
    layout->addRow(QStringLiteral("Summary time"), at);
    layout->addRow(sendTest, testResult);

    const DaySummarySettings settings = DaySummarySettings::load(platform_, values_);
    enabled->setChecked(settings.enabled);
    at->setText(settings.at);

    connect(sendTest, &QPushButton::clicked, this, &SummarySection::sendTestSummary);
}

QString SummarySection::problem() const {
    return summaryTimeProblem(at->text());
}

SaveResult SummarySection::save() const {
    DaySummarySettings settings;
    settings.enabled = enabled->isChecked();
    settings.at = at->text().trimmed();
    return settings.save(platform_, values_);
}

void SummarySection::sendTestSummary() {
    sendTest->setEnabled(false);
    testResult->setText(QStringLiteral("Sending..."));
    // The window may be closed before the channels answer.
    QPointer<SummarySection> self(this);
    summary_.sendTestSummary([self](const QList<ChannelOutcome>& outcomes) {
        if (!self)
            return;
        self->testResult->setText(outcomesInWords(outcomes));
        self->sendTest->setEnabled(true);
    });
}

} // namespace tillora
