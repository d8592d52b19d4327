#include "NotifySettings.h"

#include "AsyncTask.h"
#include "ChannelNotifier.h"
#include "ControlNames.h"
#include "Prompts.h"
#include "TallEnough.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace tillora {

namespace {

const QString Title = QStringLiteral("Where reports go");
const NotifyMessage TestMessage{
    QStringLiteral("Test Text Message"),
    QStringLiteral("This is a test Text message sent from Tillora, The professionals Choice."),
    false};

QLabel* note(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

// One channel's box: its switch and test button, its fields (when it has any), a note,
// and the line that tells what the last test did.
QGroupBox* channelBox(const QString& title, QWidget* enabled, QWidget* test, QLayout* fields,
                      const QString& noteText, QWidget* result, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* grid = new QGridLayout(box);
    grid->addWidget(enabled, 0, 0);
    grid->addWidget(test, 0, 1);
    int row = 1;
    if (fields)
        grid->addLayout(fields, row++, 0, 1, 2);
    grid->addWidget(note(noteText, box), row++, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->addWidget(result, row, 0, 1, 2);
    return box;
}

QLabel* resultLabel(const char* name, QWidget* parent) {
    auto* label = named(new QLabel(parent), name);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void showResult(QLabel* label, bool sent, const QString& reason) {
    label->setStyleSheet(sent ? QStringLiteral("color: green") : QStringLiteral("color: red"));
    label->setText(sent ? QStringLiteral("Sent.") : QStringLiteral("Not sent: ") + reason);
}

} // namespace

NotifySettings::NotifySettings(ChannelNotifier& notifier, Prompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , gatewayEnabled(named(new QCheckBox(QStringLiteral("Send to the carrier gateway"), this),
                           "gatewayEnabled"))
    , gatewayTest(named(new QPushButton(QStringLiteral("Send test"), this), "gatewayTest"))
    , gatewayResult(resultLabel("gatewayResult", this))
    , emailEnabled(
          named(new QCheckBox(QStringLiteral("Send to an e-mail address"), this), "emailEnabled"))
    , emailTo(named(new QLineEdit(this), "emailTo"))
    , emailTest(named(new QPushButton(QStringLiteral("Send test"), this), "emailTest"))
    , emailResult(resultLabel("emailResult", this))
    , pushEnabled(
          named(new QCheckBox(QStringLiteral("Send as a push message"), this), "pushEnabled"))
    , pushServer(named(new QLineEdit(this), "pushServer"))
    , pushTopic(named(new QLineEdit(this), "pushTopic"))
    , newTopic(named(new QPushButton(QStringLiteral("New topic"), this), "newTopic"))
    , pushToken(named(new QLineEdit(this), "pushToken"))
    , pushCaFile(named(new QLineEdit(this), "pushCaFile"))
    , pushTest(named(new QPushButton(QStringLiteral("Send test"), this), "pushTest"))
    , pushResult(resultLabel("pushResult", this))
    , saveButton(named(new QPushButton(QStringLiteral("Save"), this), "saveButton"))
    , closeButton(named(new QPushButton(QStringLiteral("Close"), this), "closeButton"))
    , saveResult(resultLabel("saveResult", this))
    , notifier_(notifier)
    , prompts_(prompts)
    , sections_(new QVBoxLayout) {
    setObjectName(QStringLiteral("NotifySettings"));
    setWindowTitle(Title);
    setAttribute(Qt::WA_DeleteOnClose);
    pushToken->setEchoMode(QLineEdit::Password);
    emailTo->setPlaceholderText(QStringLiteral("owner@example.com"));
    pushCaFile->setPlaceholderText(QStringLiteral("c:\\Tillora\\ini\\ca.pem"));
    buildLayout();
    showSettings(notifier_.settings());
    pushToken->setText(notifier_.pushToken());

    connect(gatewayTest, &QPushButton::clicked, this, [this] { sendTest(Channel::Gateway); });
    connect(emailTest, &QPushButton::clicked, this, [this] { sendTest(Channel::Email); });
    connect(pushTest, &QPushButton::clicked, this, [this] { sendTest(Channel::Push); });
    connect(newTopic, &QPushButton::clicked, this, [this] {
        notifier_.setProposedPushTopic(randomPushTopic());
        pushTopic->setText(notifier_.proposedPushTopic());
    });
    connect(saveButton, &QPushButton::clicked, this, &NotifySettings::save);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
}

NotifySettings* NotifySettings::open(QPointer<NotifySettings>& window, ChannelNotifier& notifier,
                                     Prompts& prompts,
                                     const std::function<void(NotifySettings&)>& prepare) {
    // A closed window deletes itself at the next event-loop pass: showing it again would
    // lose it then.
    if (window && !window->isVisible()) {
        delete window.data();
        window = nullptr;
    }
    if (!window) {
        window = new NotifySettings(notifier, prompts);
        if (prepare)
            prepare(*window);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void NotifySettings::buildLayout() {
    QGroupBox* gateway =
        channelBox(QStringLiteral("Carrier gateway"), gatewayEnabled, gatewayTest, nullptr,
                   QStringLiteral("The mobile number and carrier of the Moblie Texter window, "
                                  "through its e-mail account."),
                   gatewayResult, this);

    auto* emailForm = new QFormLayout;
    emailForm->addRow(QStringLiteral("E-mail address"), emailTo);
    QGroupBox* email = channelBox(
        QStringLiteral("E-mail"), emailEnabled, emailTest, emailForm,
        QStringLiteral("Sent through the same e-mail account; a phone can tell you when it "
                       "arrives."),
        emailResult, this);

    auto* topicRow = new QHBoxLayout;
    topicRow->addWidget(pushTopic, 1);
    topicRow->addWidget(newTopic);
    auto* pushForm = new QFormLayout;
    pushForm->addRow(QStringLiteral("Server"), pushServer);
    pushForm->addRow(QStringLiteral("Topic"), topicRow);
    pushForm->addRow(QStringLiteral("Token"), pushToken);
    pushForm->addRow(QStringLiteral("CA file"), pushCaFile);
    QGroupBox* push = channelBox(
        QStringLiteral("Push message (ntfy)"), pushEnabled, pushTest, pushForm,
        QStringLiteral("Anyone who knows a topic on a public server can read it: keep the "
                       "random topic to yourself, or use your own server with a token."),
        pushResult, this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(saveResult, 1);
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gateway);
    layout->addWidget(email);
    layout->addWidget(push);
    layout->addLayout(sections_);
    layout->addLayout(buttons);
    resize(520, 0);
    new TallEnough(this);
}

void NotifySettings::addSection(QWidget* section, SaveStep save, CheckStep check) {
    section->setParent(this);
    sections_->addWidget(section);
    if (save)
        saveSteps_.push_back(std::move(save));
    if (check)
        checkSteps_.push_back(std::move(check));
}

void NotifySettings::showSettings(const DeliverySettings& s) {
    gatewayEnabled->setChecked(s.gatewayEnabled);
    emailEnabled->setChecked(s.emailEnabled);
    emailTo->setText(s.emailTo);
    pushEnabled->setChecked(s.pushEnabled);
    pushServer->setText(s.pushServer);
    // A topic nobody can guess is proposed until the owner picks one.
    pushTopic->setText(s.pushTopic.isEmpty() ? notifier_.proposedPushTopic() : s.pushTopic);
    pushCaFile->setText(s.pushCaFile);
}

DeliverySettings NotifySettings::settingsFromFields() const {
    DeliverySettings s;
    s.gatewayEnabled = gatewayEnabled->isChecked();
    s.emailEnabled = emailEnabled->isChecked();
    s.emailTo = emailTo->text().trimmed();
    s.pushEnabled = pushEnabled->isChecked();
    s.pushServer = pushServer->text().trimmed();
    s.pushTopic = pushTopic->text().trimmed();
    s.pushCaFile = pushCaFile->text().trimmed();
    return s;
}

bool NotifySettings::save() {
    saveResult->clear();
    const DeliverySettings settings = settingsFromFields();
    QString problem = deliverySettingsProblem(settings);
    for (const CheckStep& check : checkSteps_) {
        if (problem.isEmpty())
            problem = check();
    }
    if (!problem.isEmpty()) {
        prompts_.critical(Title, problem);
        return false;
    }
    SaveResult result = notifier_.saveSettings(settings);
    if (result)
        result = notifier_.savePushToken(pushToken->text().trimmed());
    for (const SaveStep& step : saveSteps_) {
        if (result)
            result = step();
    }
    if (!result) {
        prompts_.critical(Title,
                          QStringLiteral("The settings could not be saved: ") + result.reason);
        return false;
    }
    saveResult->setText(QStringLiteral("Saved."));
    Q_EMIT saved();
    return true;
}

void NotifySettings::sendTest(Channel channel) {
    QLabel* result = channel == Channel::Gateway ? gatewayResult
                     : channel == Channel::Email ? emailResult
                                                 : pushResult;
    const DeliverySettings settings = settingsFromFields();
    const QString token = pushToken->text().trimmed();
    testing_ = true;
    for (QPushButton* button : {gatewayTest, emailTest, pushTest})
        button->setEnabled(false);
    result->setStyleSheet({});
    result->setText(QStringLiteral("Sending..."));

    // What is typed is tested, saved or not; the window stays usable meanwhile. The
    // notifier outlives this window and waits for its sends.
    ChannelNotifier& notifier = notifier_;
    runInBackground(
        this,
        [&notifier, settings, token, channel] {
            return notifier.sendWith(settings, token, TestMessage, {channel});
        },
        [this, result, channel](const QList<ChannelOutcome>& outcomes) {
            testing_ = false;
            for (QPushButton* button : {gatewayTest, emailTest, pushTest})
                button->setEnabled(true);
            const ChannelOutcome outcome =
                outcomes.value(0, {channel, false, QStringLiteral("no answer")});
            showResult(result, outcome.sent, outcome.reason);
            Q_EMIT testFinished(channel, outcome.sent, outcome.reason);
        });
}

void NotifySettings::closeEvent(QCloseEvent* event) {
    // A test is still out on its thread; the window goes once it has come back.
    if (testing_) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace tillora
