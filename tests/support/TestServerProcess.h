#pragma once

#include "HostPlatform.h"

#include <QProcess>
#include <QString>

namespace tillora::test {

// The Python that sees Debian's packages (another python3 may come first on PATH).
inline const QString TestPython = linuxProgram(QStringLiteral("python3"));

// Reads the "READY <port>" line a test server prints once it listens; 0 on failure, with
// what the process said in `error`.
int readyPort(QProcess& process, QString& error);

// A self-signed certificate for localhost and 127.0.0.1: "cert.pem" and "key.pem" in
// `folder`.
bool makeTestCertificate(const QString& folder, QString& error);

// Ends a test server: terminate, then kill when it does not go.
void stopServerProcess(QProcess& process);

} // namespace tillora::test
