#pragma once

#include "ChannelNotifier.h"

#include <mutex>
#include <optional>

namespace tillora {

class Platform;
struct ProgramValues;

// The texter's fields the mail channels use.
struct TexterMailFields {
    QString mobileNumber;    // Text1
    QString gatewayTemplate; // Text3
    MailAccount account;     // Text5, Text6
};

// The mail account, the mail server and the phone's gateway address for the notifier:
// from the texter window's fields while it is loaded (they are the live settings),
// otherwise from MobileText.dat; the server from MailServer.dat. Both files are read
// through their last good copies, which stand in when the data folder cannot be read.
// Safe on any thread: the window's thread hands its fields over, the sending thread reads
// them.
class TexterMailRoute final : public SmtpRouteSource {
public:
    TexterMailRoute(const Platform& platform, const ProgramValues& values);

    // Called on the window's thread whenever the fields change; nothing once it unloads.
    void setLiveFields(std::optional<TexterMailFields> fields);

    SmtpRoute smtpRoute() const override;

private:
    TexterMailFields currentFields(bool& fromCopy) const;
    MailServer currentServer(bool& fromCopy) const;

    const Platform& platform_;
    const ProgramValues& values_;
    mutable std::mutex mutex_;
    std::optional<TexterMailFields> live_;
};

} // namespace tillora
