#include "TestServerProcess.h"

#include <QDeadlineTimer>
#include <QDir>

namespace tillora::test {

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

bool makeTestCertificate(const QString& folder, QString& error) {
    QProcess openssl;
    openssl.start(
        linuxProgram(QStringLiteral("openssl")),
        {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
         QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
         QStringLiteral("3650"), QStringLiteral("-subj"), QStringLiteral("/CN=localhost"),
         QStringLiteral("-addext"), QStringLiteral("subjectAltName=DNS:localhost,IP:127.0.0.1"),
         QStringLiteral("-keyout"), pathForLinux(QDir(folder).filePath(QStringLiteral("key.pem"))),
         QStringLiteral("-out"), pathForLinux(QDir(folder).filePath(QStringLiteral("cert.pem")))});
    if (!openssl.waitForFinished(30000) || openssl.exitCode() != 0) {
        error =
            QStringLiteral("openssl failed: ") + QString::fromUtf8(openssl.readAllStandardError());
        return false;
    }
    return true;
}

void stopServerProcess(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

} // namespace tillora::test
