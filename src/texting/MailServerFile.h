#pragma once

#include "SmtpClient.h"

namespace tillora {

class Platform;
struct ProgramValues;

// Where messages are submitted, from DataDIR + "ini\MailServer.dat": one quoted line,
// the host in quotes, the port bare, then optionally the CA certificate file in quotes
// ("smtp.example.net",465,"c:\Tillora\ini\mailca.pem").
struct MailServerSetting {
    MailServer server;     // the CA file as a native path
    bool fromFile = false; // false: the built-in smtp.gmail.com:465 with the system store
};

QString mailServerPath(const ProgramValues& values);
MailServerSetting loadMailServer(const Platform& platform, const ProgramValues& values);
// The same from the file at `nativePath` (a last good copy).
MailServerSetting loadMailServer(const Platform& platform, const QString& nativePath);
// The file's content; nothing when it holds no host.
std::optional<MailServer> parseMailServer(const QByteArray& bytes);

} // namespace tillora
