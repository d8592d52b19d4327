#include "HttpsTestServer.h"

#include "TestServerProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tillora::test {

HttpsTestServer::HttpsTestServer(const QString& answers) {
    const QDir dir(dir_.path());
    QDir().mkpath(dir.filePath(QStringLiteral("received")));
    if (!makeTestCertificate(dir_.path(), error_))
        return;
    process_ = std::make_unique<QProcess>();
    process_->start(TestPython,
                    {QStringLiteral(HTTPS_TEST_SERVER_SCRIPT), QStringLiteral("--out"),
                     pathForLinux(dir.filePath(QStringLiteral("received"))),
                     QStringLiteral("--cert"), pathForLinux(certificateFile()),
                     QStringLiteral("--key"), pathForLinux(dir.filePath(QStringLiteral("key.pem"))),
                     QStringLiteral("--answers"), answers});
    if (!process_->waitForStarted(10000)) {
        error_ = process_->errorString();
        return;
    }
    port_ = readyPort(*process_, error_);
}

HttpsTestServer::~HttpsTestServer() {
    if (process_)
        stopServerProcess(*process_);
}

QString HttpsTestServer::url() const {
    return QStringLiteral("https://") + TestServerHost + u':' + QString::number(port_);
}

QString HttpsTestServer::certificateFile() const {
    return QDir(dir_.path()).filePath(QStringLiteral("cert.pem"));
}

QList<ReceivedRequest> HttpsTestServer::received() const {
    QList<ReceivedRequest> requests;
    const QDir out(QDir(dir_.path()).filePath(QStringLiteral("received")));
    for (const QString& name :
         out.entryList({QStringLiteral("request-*.json")}, QDir::Files, QDir::Name)) {
        QFile file(out.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
        ReceivedRequest request;
        request.method = o.value(QStringLiteral("method")).toString();
        request.path = o.value(QStringLiteral("path")).toString();
        for (const QJsonValue& pair : o.value(QStringLiteral("headers")).toArray())
            request.headers.insert(pair.toArray().at(0).toString().toLower(),
                                   pair.toArray().at(1).toString());
        request.body =
            QByteArray::fromBase64(o.value(QStringLiteral("body")).toString().toLatin1());
        requests.append(request);
    }
    return requests;
}

} // namespace tillora::test
