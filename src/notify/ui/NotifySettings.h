#pragma once

#include "DeliverySettings.h"
#include "Notifier.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace tillora {

class ChannelNotifier;
class Prompts;

// "Where reports go": the delivery channels with their fields, a "Send test" per channel
// and "Save". One window at a time; open() shows it from anywhere in the program.
class NotifySettings : public QWidget {
    Q_OBJECT

public:
    NotifySettings(ChannelNotifier& notifier, Prompts& prompts, QWidget* parent = nullptr);

    // Shows the window kept in `window`, making it when there is none or the one there
    // was closed (it is on its way out); `prepare` runs on a new window before it is
    // shown (to add sections). The owner of `window` outlives the notifier's users and
    // deletes the window with itself.
    static NotifySettings* open(QPointer<NotifySettings>& window, ChannelNotifier& notifier,
                                Prompts& prompts,
                                const std::function<void(NotifySettings&)>& prepare = {});

    // Room for more settings of the same file (in a group of their own): `section` goes
    // below the channels, and `save`, when given, runs after the channels were saved; a
    // failing step is shown with its reason. `check`, when given, runs before anything is
    // saved: a sentence naming the field refuses the save.
    using SaveStep = std::function<SaveResult()>;
    using CheckStep = std::function<QString()>;
    void addSection(QWidget* section, SaveStep save = {}, CheckStep check = {});

    QCheckBox* gatewayEnabled;
    QPushButton* gatewayTest;
    QLabel* gatewayResult;
    QCheckBox* emailEnabled;
    QLineEdit* emailTo;
    QPushButton* emailTest;
    QLabel* emailResult;
    QCheckBox* pushEnabled;
    QLineEdit* pushServer;
    QLineEdit* pushTopic;
    QPushButton* newTopic;
    QLineEdit* pushToken;
    QLineEdit* pushCaFile;
    QPushButton* pushTest;
    QLabel* pushResult;
    QPushButton* saveButton;
    QPushButton* closeButton;
    QLabel* saveResult;

    DeliverySettings settingsFromFields() const;
    // Checks and saves the fields; false, with a message naming the field, when refused.
    bool save();
    bool testing() const { return testing_; }

Q_SIGNALS:
    void saved();
    void testFinished(Channel channel, bool sent, const QString& reason);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void showSettings(const DeliverySettings& settings);
    void sendTest(Channel channel);

    ChannelNotifier& notifier_;
    Prompts& prompts_;
    QVBoxLayout* sections_;
    std::vector<SaveStep> saveSteps_;
    std::vector<CheckStep> checkSteps_;
    bool testing_ = false;
};

} // namespace tillora
