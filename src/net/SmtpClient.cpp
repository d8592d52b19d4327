#include "SmtpClient.h"

#include "CancelFlag.h"
#include "CurlHandles.h"
#include "HeaderSafety.h"
#include "MailAddress.h"

#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <cstdint>
#include <thread>

namespace tillora {

namespace {

using curl::initialiseOnce;
using CurlHandle = curl::Handle;
using CurlList = curl::List;
using CurlMime = curl::Mime;
using curl::append;

// The bare address of "Name <a@b>" or " a@b ".
QString envelopeAddress(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype open = trimmed.lastIndexOf(u'<');
    const qsizetype close = trimmed.lastIndexOf(u'>');
    if (open >= 0 && close > open)
        return trimmed.mid(open + 1, close - open - 1).trimmed();
    return trimmed;
}

QStringList recipients(const QString& to) {
    QStringList list;
    for (const QString& item : to.split(QRegularExpression(QStringLiteral("[,;]")))) {
        const QString address = envelopeAddress(headerSafe(item));
        if (!address.isEmpty())
            list.append(address);
    }
    return list;
}

QByteArray header(const char* name, const QString& value) {
    return QByteArray(name) + ": " + encodedHeaderValue(value);
}

QString messageIdDomain(const QString& from) {
    const QString address = envelopeAddress(headerSafe(from));
    const qsizetype at = address.lastIndexOf(u'@');
    const QString domain = at >= 0 ? address.mid(at + 1) : QString();
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9.-]+$"));
    return plain.match(domain).hasMatch() ? domain : QStringLiteral("localhost");
}

MailResult failure(MailFailure kind, const QString& reason, bool temporary = false) {
    return {kind, reason, temporary};
}

// What the exchange saw: the server's last refusal, and whether our own deadline or the
// program's end ended it.
struct Exchange {
    curl::Watch watch;
    QString refusal; // the server's last 4xx or 5xx reply line, as received
};

// Keeps the server's reply lines: a refusal is remembered until a later positive reply
// (other than the 221 farewell to QUIT, which follows a failure) supersedes it.
int watchReplies(CURL*, curl_infotype type, char* data, size_t size, void* user) {
    auto* exchange = static_cast<Exchange*>(user);
    // The message went through or failed before QUIT: the farewell is not waited for, so a
    // server that stalls cannot hold the exchange past its deadline a second time.
    if (type == CURLINFO_HEADER_OUT && QByteArray(data, qsizetype(size)).startsWith("QUIT"))
        exchange->watch.waitNoLonger = true;
    if (type != CURLINFO_HEADER_IN)
        return 0;
    const QList<QByteArray> lines = QByteArray(data, qsizetype(size)).split('\n');
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.size() < 3 || !std::all_of(line.begin(), line.begin() + 3,
                                            [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        if (line[0] == '4' || line[0] == '5')
            exchange->refusal = headerSafe(QString::fromUtf8(line.left(200)));
        else if (!line.startsWith("221"))
            exchange->refusal.clear();
    }
    return 0;
}

MailResult resultOf(CURLcode code, const char* errorBuffer, const Exchange& exchange,
                    const MailServer& server, std::chrono::milliseconds limit, const QString& user,
                    const QString& to) {
    if (code == CURLE_OK)
        return {};
    if (exchange.watch.cancelled)
        return failure(MailFailure::Cancelled,
                       QStringLiteral("The program ended before the message was sent."));
    QString detail = QString::fromUtf8(errorBuffer).trimmed();
    if (detail.isEmpty())
        detail = QString::fromUtf8(curl_easy_strerror(code));
    const QString where = server.host + u':' + QString::number(server.port);
    const QString suffix = QStringLiteral(" (") + detail + u')';
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        return failure(MailFailure::Unreachable,
                       QStringLiteral("The mail server %1 could not be reached.").arg(where) +
                           suffix);
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return failure(
            MailFailure::CertificateNotTrusted,
            QStringLiteral("The certificate of the mail server %1 is not trusted.").arg(where) +
                suffix);
    case CURLE_OPERATION_TIMEDOUT:
        return failure(MailFailure::TimedOut,
                       QStringLiteral("The mail server %1 did not answer in time.").arg(where) +
                           suffix);
    default:
        break;
    }
    if (exchange.watch.deadlinePassed)
        return failure(MailFailure::TimedOut,
                       QStringLiteral("The mail server %1 did not answer in time (no end to the "
                                      "exchange within %2 s).")
                           .arg(where)
                           .arg(double(limit.count()) / 1000.0));

    // The server's own words say more than libcurl's summary ("Weird server reply").
    const bool temporary = exchange.refusal.startsWith(u'4');
    const QString why =
        QStringLiteral(" (") + (exchange.refusal.isEmpty() ? detail : exchange.refusal) + u')';
    if (code == CURLE_LOGIN_DENIED)
        return failure(MailFailure::LoginRefused,
                       QStringLiteral("The mail server refused the login of %1.").arg(user) + why,
                       temporary);
    if (detail.contains(QStringLiteral("RCPT"), Qt::CaseInsensitive))
        return failure(MailFailure::RecipientRefused,
                       QStringLiteral("The mail server refused the recipient %1.").arg(to) + why,
                       temporary);
    if (!exchange.refusal.isEmpty())
        return failure(MailFailure::MessageRefused,
                       QStringLiteral("The mail server %1 refused the message.").arg(where) + why,
                       temporary);
    return failure(MailFailure::Other,
                   QStringLiteral("The message could not be sent through %1.").arg(where) + suffix);
}

} // namespace

QString withCrLf(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    lines.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return lines;
}

QString htmlFromPlainText(const QString& text) {
    QString html = withCrLf(text).toHtmlEscaped();
    html.replace(QStringLiteral("\r\n"), QStringLiteral("<br>\r\n"));
    return html;
}

SmtpClient::SmtpClient(MailServer server, MailTimeouts timeouts, const CancelFlag* cancel)
    : server_(std::move(server))
    , timeouts_(timeouts)
    , cancel_(cancel) {
    initialiseOnce();
}

MailResult SmtpClient::send(const MailAccount& account, const MailMessage& message) const {
    const QString user = account.user.trimmed();
    if (user.isEmpty() || account.password.isEmpty())
        return failure(MailFailure::NoAccount,
                       QStringLiteral("No sending account is set up: enter the e-mail account "
                                      "and its password in the Moblie Texter window."));
    const QStringList to = recipients(message.to);
    if (to.isEmpty())
        return failure(MailFailure::NoRecipient,
                       QStringLiteral("The message has no recipient address."));
    for (const QString& address : to) {
        if (!isSingleMailAddress(address))
            return failure(
                MailFailure::InvalidRecipient,
                QStringLiteral("\"%1\" is not one e-mail address; nothing was sent.").arg(address));
    }

    CurlHandle curl(curl_easy_init());
    if (!curl)
        return failure(MailFailure::Other, QStringLiteral("The mail sender could not start."));
    char errorBuffer[CURL_ERROR_SIZE] = {};

    // curl keeps pointers to option strings only for some options: keep every byte array
    // alive until the transfer ends.
    const QByteArray url = (server_.startTls ? "smtp://" : "smtps://") + server_.host.toUtf8() +
                           ':' + QByteArray::number(server_.port);
    const QByteArray userBytes = user.toUtf8();
    const QByteArray passwordBytes = account.password.toUtf8();
    const QByteArray mailFrom = '<' + envelopeAddress(headerSafe(user)).toUtf8() + '>';

    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L); // safe on a worker thread
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(c, CURLOPT_USERNAME, userBytes.constData());
    curl_easy_setopt(c, CURLOPT_PASSWORD, passwordBytes.constData());
    if (server_.startTls)
        curl_easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_ALL)); // never on in the clear
    curl::checkCertificates(c, server_.caFile.toLocal8Bit());
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(timeouts_.connect.count()));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(timeouts_.whole.count()));
    // libcurl's own wait for a reply (120 s) outlasts the whole-exchange limit when the
    // server stalls after the message: bound it, and end the exchange at the deadline.
    Exchange exchange;
    exchange.watch = {std::chrono::steady_clock::now() + timeouts_.whole, cancel_};
    const auto wholeSeconds = std::chrono::duration_cast<std::chrono::seconds>(timeouts_.whole);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                     long(std::max<std::int64_t>(1, wholeSeconds.count() - 1)));
    curl::watchProgress(c, exchange.watch);
    // QUIT is said on this handle, where the watch sees it, not later by libcurl's
    // connection cache, which has neither our deadline nor our watch.
    curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
    // The server's reply lines, for a readable failure; what we send (the login) is not kept.
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, watchReplies);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &exchange);
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, mailFrom.constData());

    CurlList rcpt;
    for (const QString& address : to)
        append(rcpt, '<' + address.toUtf8() + '>');
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt.get());

    const QDateTime date = message.date.isValid() ? message.date : QDateTime::currentDateTime();
    CurlList headers;
    append(headers, header("Date", date.toString(Qt::RFC2822Date)));
    append(headers, header("To", message.to));
    append(headers, header("From", message.from));
    append(headers, header("Reply-To", message.from));
    append(headers, header("Sender", QStringLiteral("Computer Name")));
    append(headers, header("Organization", QStringLiteral("Varnell and Vavarurode")));
    append(headers, header("Subject", message.subject));
    append(headers, "Message-ID: <" +
                        QUuid::createUuid().toString(QUuid::WithoutBraces).toLatin1() + '@' +
                        messageIdDomain(message.from).toLatin1() + '>');
    // Both parts say the same; the whole message is one choice between them.
    append(headers, "Content-Type: multipart/alternative");
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());

    const QByteArray plain = withCrLf(message.body).toUtf8();
    const QByteArray html = htmlFromPlainText(message.body).toUtf8();
    CurlMime mime(curl_mime_init(c));
    curl_mimepart* part = curl_mime_addpart(mime.get());
    curl_mime_data(part, plain.constData(), size_t(plain.size()));
    curl_mime_type(part, "text/plain; charset=UTF-8");
    curl_mime_encoder(part, "quoted-printable");
    part = curl_mime_addpart(mime.get());
    curl_mime_data(part, html.constData(), size_t(html.size()));
    curl_mime_type(part, "text/html; charset=UTF-8");
    curl_mime_encoder(part, "quoted-printable");
    curl_easy_setopt(c, CURLOPT_MIMEPOST, mime.get());

    const CURLcode code = curl_easy_perform(c);
    return resultOf(code, errorBuffer, exchange, server_, timeouts_.whole, user,
                    to.join(QStringLiteral(", ")));
}

MailResult retryOnceIfTemporary(const std::function<MailResult()>& attempt,
                                std::chrono::milliseconds retryAfter,
                                const std::function<void(std::chrono::milliseconds)>& wait) {
    const MailResult first = attempt();
    if (first.ok() || !first.temporary)
        return first;
    wait(retryAfter);
    MailResult second = attempt();
    if (!second.ok())
        second.reason +=
            QStringLiteral(" Retried once after %1 s.").arg(double(retryAfter.count()) / 1000.0);
    return second;
}

MailResult SmtpClient::sendRetryingOnce(const MailAccount& account,
                                        const MailMessage& message) const {
    // This runs off the window's thread: sleeping through the wait costs no CPU, and the
    // program's end cuts it short.
    return retryOnceIfTemporary([&] { return send(account, message); }, timeouts_.retryAfter,
                                [this](std::chrono::milliseconds pause) {
                                    if (cancel_)
                                        cancel_->sleepFor(pause);
                                    else
                                        std::this_thread::sleep_for(pause);
                                });
}

} // namespace tillora
