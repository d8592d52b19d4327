#include "SmtpTestServer.h"

#include "TestServerProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tillora::test {

namespace {
const QString script = QStringLiteral(SMTP_TEST_SERVER_SCRIPT);
} // namespace

QString ReceivedMail::header(const QString& name) const {
    const qsizetype end = raw.indexOf("\r\n\r\n");
    const QList<QByteArray> lines = raw.left(end).split('\n');
    const QByteArray wanted = name.toLatin1().toLower() + ':';
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].toLower().startsWith(wanted))
            continue;
        QByteArray value = lines[i].mid(wanted.size());
        while (i + 1 < lines.size() &&
               (lines[i + 1].startsWith(' ') || lines[i + 1].startsWith('\t')))
            value += lines[++i];
        value.replace('\r', "");
        if (value.startsWith(' '))
            value.remove(0, 1);
        return QString::fromLatin1(value);
    }
    return {};
}

SmtpTestServer::SmtpTestServer(Mode mode, const QString& user, const QString& password) {
    const QString out = QDir(dir_.path()).filePath(QStringLiteral("received"));
    QDir().mkpath(out);
    QStringList arguments{script};
    if (mode == Mode::Silent) {
        arguments << QStringLiteral("silent");
    } else {
        if (!makeTestCertificate(dir_.path(), error_))
            return;
        arguments << (mode == Mode::StartTls ? QStringLiteral("starttls") : QStringLiteral("serve"))
                  << QStringLiteral("--out") << pathForLinux(out) << QStringLiteral("--cert")
                  << pathForLinux(certificateFile()) << QStringLiteral("--key")
                  << pathForLinux(QDir(dir_.path()).filePath(QStringLiteral("key.pem")))
                  << QStringLiteral("--user") << user << QStringLiteral("--password") << password;
    }
    process_ = std::make_unique<QProcess>();
    process_->start(TestPython, arguments);
    if (!process_->waitForStarted(10000)) {
        error_ = process_->errorString();
        return;
    }
    port_ = readyPort(*process_, error_);
}

SmtpTestServer::~SmtpTestServer() {
    stop();
}

void SmtpTestServer::stop() {
    if (process_)
        stopServerProcess(*process_);
}

QString SmtpTestServer::certificateFile() const {
    return QDir(dir_.path()).filePath(QStringLiteral("cert.pem"));
}

QList<ReceivedMail> SmtpTestServer::received() const {
    QList<ReceivedMail> mails;
    const QDir out(QDir(dir_.path()).filePath(QStringLiteral("received")));
    const QStringList names =
        out.entryList({QStringLiteral("message-*.json")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        QFile file(out.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject o = QJsonDocument::fromJson(file.readAll()).object();
        ReceivedMail mail;
        mail.mailFrom = o.value(QStringLiteral("mail_from")).toString();
        for (const QJsonValue& to : o.value(QStringLiteral("rcpt_tos")).toArray())
            mail.rcptTos.append(to.toString());
        mail.login = o.value(QStringLiteral("login")).toString();
        mail.contentType = o.value(QStringLiteral("content_type")).toString();
        mail.raw = o.value(QStringLiteral("raw")).toString().toLatin1();
        for (const QJsonValue& value : o.value(QStringLiteral("parts")).toArray()) {
            const QJsonObject part = value.toObject();
            const QString type = part.value(QStringLiteral("type")).toString();
            const QString text = part.value(QStringLiteral("text")).toString();
            if (type == QLatin1String("text/plain"))
                mail.plainPart = text;
            else if (type == QLatin1String("text/html"))
                mail.htmlPart = text;
        }
        mails.append(mail);
    }
    return mails;
}

int SmtpTestServer::unusedPort() {
    QProcess process;
    process.start(TestPython, {script, QStringLiteral("freeport")});
    QString error;
    const int port = process.waitForStarted(10000) ? readyPort(process, error) : 0;
    process.waitForFinished(5000);
    return port;
}

QByteArray mailServerRecord(TempDrives& drives, int port, const QString& caFile) {
    QFile ca(caFile);
    drives.writeFile('c', QStringLiteral("Tillora/ini/mail-ca.pem"),
                     ca.open(QIODevice::ReadOnly) ? ca.readAll() : QByteArray());
    return "\"" + TestServerHost.toUtf8() + "\"," + QByteArray::number(port) +
           ",\"c:\\Tillora\\ini\\mail-ca.pem\"\r\n";
}

} // namespace tillora::test
