#pragma once

#include <QDateTime>
#include <QString>

#include <chrono>
#include <functional>

namespace tillora {

class CancelFlag;

// The SMTP server messages are submitted to: SSL from the first byte (port 465 style), or
// a plain connection that must switch to TLS with STARTTLS before anything else is said
// (submission on port 587).
struct MailServer {
    QString host = QStringLiteral("smtp.gmail.com");
    int port = 465;
    // A CA certificate file (native path) for a server with its own certificate; empty
    // means the system's certificate store.
    QString caFile;
    bool startTls = false;
};

struct MailTimeouts {
    std::chrono::milliseconds connect{15000}; // TCP, TLS handshake and greeting
    std::chrono::milliseconds whole{60000};   // the whole exchange, enforced to the second
    // A temporary refusal (an SMTP 4xx reply) is tried once more after this wait.
    std::chrono::milliseconds retryAfter{30000};
};

// The account messages are sent from. The user name is sent trimmed.
struct MailAccount {
    QString user;
    QString password;
};

struct MailMessage {
    QString to;   // one address, or several separated by commas or semicolons
    QString from; // the From and Reply-To header, as typed
    QString subject;
    QString body;   // plain text; line ends become CR LF
    QDateTime date; // the Date header
};

enum class MailFailure {
    None,
    NoAccount,
    NoRecipient,
    LoginRefused,
    Unreachable,
    CertificateNotTrusted,
    RecipientRefused,
    InvalidRecipient,
    MessageRefused,
    TimedOut,
    Cancelled, // the program ended first
    Other,
};

struct MailResult {
    MailFailure failure = MailFailure::None;
    QString reason; // a sentence for the operator; empty on success
    // The server refused with a 4xx reply: the same message may go through later.
    bool temporary = false;
    bool ok() const { return failure == MailFailure::None; }
};

// Submits one message, blocking the calling thread until the exchange ends, at the latest
// when the whole-exchange limit is up or the cancel flag is set. Certificate checking is
// always on. Every recipient must be one plain address; a failure names the server's own
// reply where there is one. Runs off the window's thread.
class SmtpClient {
public:
    explicit SmtpClient(MailServer server, MailTimeouts timeouts = {},
                        const CancelFlag* cancel = nullptr);

    MailResult send(const MailAccount& account, const MailMessage& message) const;
    // `send`, and once more after the retry wait when the server refused for the moment;
    // when that fails too, the reason says it was retried.
    MailResult sendRetryingOnce(const MailAccount& account, const MailMessage& message) const;

    const MailServer& server() const { return server_; }
    const MailTimeouts& timeouts() const { return timeouts_; }

private:
    MailServer server_;
    MailTimeouts timeouts_;
    const CancelFlag* cancel_;
};

// Runs `attempt`, and once more after `retryAfter` (spent in `wait`) when it met a
// temporary refusal; when the second try fails too, the reason says it was retried.
MailResult retryOnceIfTemporary(const std::function<MailResult()>& attempt,
                                std::chrono::milliseconds retryAfter,
                                const std::function<void(std::chrono::milliseconds)>& wait);

// The plain text as HTML: special characters escaped, each line end a <br>.
QString htmlFromPlainText(const QString& text);
// Every line end (CR LF, lone CR, lone LF) as CR LF.
QString withCrLf(const QString& text);

} // namespace tillora
