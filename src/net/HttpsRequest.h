#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>

namespace tillora {

class CancelFlag;

struct HttpsLimits {
    std::chrono::milliseconds connect{15000};
    std::chrono::milliseconds whole{30000}; // one request, connect included
};

// One POST (or GET) over HTTPS (plain HTTP is allowed too; the caller decides where).
struct HttpsRequest {
    enum class Method { Post, Get };
    Method method = Method::Post;
    QByteArray url;
    QList<QByteArray> headers; // "Name: value" lines, made safe by the caller
    QByteArray body;           // POST only
    QString caFile;            // native path of a CA certificate file; empty: the system store
    HttpsLimits limits;
    const CancelFlag* cancel = nullptr; // set: the request ends at once
};

enum class HttpsFailure {
    None, // the server answered, whatever its status
    HostNotFound,
    Unreachable,
    CertificateNotTrusted,
    ConnectTimedOut, // the connect limit passed before the connection (TLS included) stood
    TimedOut,        // the limit of the whole request passed
    Cancelled,
    Other,
};

struct HttpsResult {
    HttpsFailure failure = HttpsFailure::None;
    int curlCode = 0;
    long status = 0;   // the HTTP status when the server answered
    QByteArray answer; // the start of the answer's body
    QString error;     // libcurl's words when there was no answer
    bool answered() const { return failure == HttpsFailure::None; }
    bool succeeded() const { return answered() && status >= 200 && status < 300; }
};

// Sends the request and blocks the calling thread until the server answers, a limit
// passes or the cancel flag is set. Certificates are always checked.
HttpsResult sendHttps(const HttpsRequest& request);

} // namespace tillora
