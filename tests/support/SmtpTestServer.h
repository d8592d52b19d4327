#pragma once

#include "HostPlatform.h"
#include "TempDrives.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace tillora::test {

// One message as the test server received it.
struct ReceivedMail {
    QString mailFrom;
    QStringList rcptTos;
    QString login; // the user name the client authenticated with
    QString contentType;
    QByteArray raw;
    QString header(const QString& name) const; // the raw header value, unfolded
    QString plainPart;
    QString htmlPart;
};

// A real SMTP server on 127.0.0.1 run by /usr/bin/python3 with aiosmtpd: implicit TLS
// with a certificate made for the test, AUTH required for one user and password.
// Recipients in the domain "refused.invalid" are refused. Stopped on destruction.
class SmtpTestServer {
public:
    // Serve: implicit TLS; StartTls: plain until STARTTLS, which it requires before AUTH;
    // Silent: accepts connections and never answers.
    enum class Mode { Serve, StartTls, Silent };

    SmtpTestServer(Mode mode = Mode::Serve,
                   const QString& user = QStringLiteral("owner@store.test"),
                   const QString& password = QStringLiteral("secret-pass"));
    ~SmtpTestServer();
    SmtpTestServer(const SmtpTestServer&) = delete;
    SmtpTestServer& operator=(const SmtpTestServer&) = delete;

    bool started() const { return port_ > 0; }
    QString error() const { return error_; }
    int port() const { return port_; }
    // The certificate the server presents (PEM), to be trusted as a CA file.
    QString certificateFile() const;

    // The messages received so far, oldest first.
    QList<ReceivedMail> received() const;
    void stop();

    // A port on 127.0.0.1 with nothing listening.
    static int unusedPort();

private:
    QTemporaryDir dir_;
    std::unique_ptr<QProcess> process_;
    int port_ = 0;
    QString error_;
};

// The store's MailServer.dat line for a server on `port`: its CA file is copied onto
// drive c, as the owner keeps it with the store's settings, and named by its Windows path.
QByteArray mailServerRecord(TempDrives& drives, int port, const QString& caFile);

} // namespace tillora::test
