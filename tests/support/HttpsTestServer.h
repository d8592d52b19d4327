#pragma once

#include "HostPlatform.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace tillora::test {

// One request as the test server received it.
struct ReceivedRequest {
    QString method;
    QString path;
    QMap<QString, QString> headers; // names in lower case
    QByteArray body;
    QString header(const QString& name) const { return headers.value(name.toLower()); }
};

// A real HTTPS server on 127.0.0.1 run by /usr/bin/python3 (http.server with ssl), with a
// certificate made for the test. `answers` are given to the requests in turn, the last
// one repeated: a status such as "200", "401", "500", or "stall" (never answers).
class HttpsTestServer {
public:
    explicit HttpsTestServer(const QString& answers = QStringLiteral("200"));
    ~HttpsTestServer();
    HttpsTestServer(const HttpsTestServer&) = delete;
    HttpsTestServer& operator=(const HttpsTestServer&) = delete;

    bool started() const { return port_ > 0; }
    QString error() const { return error_; }
    int port() const { return port_; }
    QString url() const; // "https://127.0.0.1:<port>"
    // The certificate the server presents (PEM), to be trusted as a CA file.
    QString certificateFile() const;

    // The requests received so far, oldest first.
    QList<ReceivedRequest> received() const;

private:
    QTemporaryDir dir_;
    std::unique_ptr<QProcess> process_;
    int port_ = 0;
    QString error_;
};

} // namespace tillora::test
