#include "SmtpTestServer.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tillora::test {

namespace {

const QString python = QStringLiteral("/usr/bin/python3");
const QString script = QStringLiteral(SMTP_TEST_SERVER_SCRIPT);

// Reads the "READY <port>" line the script prints once it listens; 0 on failure.
int readyPort(QProcess& process, QString& error) {
    QByteArray output;
    QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired()) {
        if (!process.waitForReadyRead(int(deadline.remainingTime()))) {
            if (process.state() != QProcess::Running)
                break;
            continue;
        }
        output += process.readAllStandardOutput();
        const qsizetype at = output.indexOf("READY ");
        const qsizetype end = output.indexOf('\n', at);
        if (at >= 0 && end > at)
            return output.mid(at + 6, end - at - 6).trimmed().toInt();
    }
    error = QString::fromUtf8(output + process.readAllStandardError());
    return 0;
}

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
        if (!makeCertificate())
            return;
        arguments << QStringLiteral("serve") << QStringLiteral("--out") << out
                  << QStringLiteral("--cert") << certificateFile() << QStringLiteral("--key")
                  << QDir(dir_.path()).filePath(QStringLiteral("key.pem"))
                  << QStringLiteral("--user") << user << QStringLiteral("--password") << password;
    }
    process_ = std::make_unique<QProcess>();
    process_->start(python, arguments);
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
    if (!process_ || process_->state() == QProcess::NotRunning)
        return;
    process_->terminate();
    if (!process_->waitForFinished(5000)) {
        process_->kill();
        process_->waitForFinished(2000);
    }
}

QString SmtpTestServer::certificateFile() const {
    return QDir(dir_.path()).filePath(QStringLiteral("cert.pem"));
}

bool SmtpTestServer::makeCertificate() {
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                   QStringLiteral("3650"), QStringLiteral("-subj"), QStringLiteral("/CN=localhost"),
                   QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=DNS:localhost,IP:127.0.0.1"),
                   QStringLiteral("-keyout"), QDir(dir_.path()).filePath(QStringLiteral("key.pem")),
                   QStringLiteral("-out"), certificateFile()});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        error_ =
            QStringLiteral("openssl failed: ") + QString::fromUtf8(openssl.readAllStandardError());
        return false;
    }
    return true;
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
    process.start(python, {script, QStringLiteral("freeport")});
    QString error;
    const int port = process.waitForStarted(10000) ? readyPort(process, error) : 0;
    process.waitForFinished(5000);
    return port;
}

} // namespace tillora::test
