#include "MailServerFile.h"

#include "DataFiles.h"
#include "FileSave.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "QuotedCsv.h"

namespace tillora {

QString mailServerPath(const ProgramValues& values) {
    return DataFiles::path(values.DataDIR, DataFile::MailServer);
}

std::optional<MailServer> parseMailServer(const QByteArray& bytes) {
    QuotedValueReader reader(bytes);
    MailServer server;
    server.host = reader.next().value_or(QString()).trimmed();
    if (server.host.isEmpty())
        return std::nullopt;
    bool ok = false;
    const int port = reader.next().value_or(QString()).trimmed().toInt(&ok);
    server.port = ok && port > 0 && port < 65536 ? port : 465;
    // The submission port speaks plain first and is switched to TLS by STARTTLS.
    server.startTls = server.port == 587;
    server.caFile = reader.next().value_or(QString()).trimmed();
    return server;
}

MailServerSetting loadMailServer(const Platform& platform, const ProgramValues& values) {
    return loadMailServer(platform, platform.nativePath(mailServerPath(values)));
}

MailServerSetting loadMailServer(const Platform& platform, const QString& nativePath) {
    const auto bytes = readWholeFile(nativePath);
    if (!bytes)
        return {};
    auto server = parseMailServer(*bytes);
    if (!server)
        return {};
    if (!server->caFile.isEmpty())
        server->caFile = platform.nativePath(server->caFile);
    return {*server, true};
}

} // namespace tillora
