#include "PushClient.h"

#include "CurlHandles.h"
#include "DeliverySettings.h"
#include "SmtpClient.h"

#include <QUrl>

#include <memory>
#include <mutex>
#include <thread>

namespace tillora {

namespace {

using SteadyClock = std::chrono::steady_clock;

using curl::initialiseOnce;
using CurlHandle = curl::Handle;
using CurlList = curl::List;
using curl::append;

// The title as a header value: control characters blanked, non-ASCII as an encoded word.
QByteArray titleHeader(const QString& subject) {
    const QString safe = headerSafe(subject);
    for (const QChar c : safe) {
        if (c.unicode() > 0x7e)
            return "=?UTF-8?B?" + safe.toUtf8().toBase64() + "?=";
    }
    return safe.toLatin1();
}

constexpr size_t AnswerKept = 4096; // enough for the first line of any error page

size_t keepAnswer(char* data, size_t size, size_t count, void* user) {
    auto* answer = static_cast<QByteArray*>(user);
    const size_t bytes = size * count;
    if (size_t(answer->size()) < AnswerKept)
        answer->append(data, qsizetype(std::min(bytes, AnswerKept - size_t(answer->size()))));
    return bytes;
}

// curl's own timeout does not cover every wait of every protocol: the deadline is also
// checked here, at least once a second while the transfer is idle.
int pastDeadline(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return SteadyClock::now() > *static_cast<SteadyClock::time_point*>(user) ? 1 : 0;
}

struct Attempt {
    CURLcode code = CURLE_OK;
    long status = 0;
    QByteArray answer;
    QString error;
};

Attempt postOnce(const QByteArray& url, const PushTarget& target, const NotifyMessage& message,
                 const PushLimits& limits) {
    Attempt attempt;
    CurlHandle curl(curl_easy_init());
    if (!curl) {
        attempt.code = CURLE_FAILED_INIT;
        return attempt;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    const QByteArray body = message.text.toUtf8();
    SteadyClock::time_point deadline = SteadyClock::now() + limits.whole;

    CurlList headers;
    append(headers, "Title: " + titleHeader(message.subject));
    append(headers, message.alert ? "Tags: tillora,warning" : "Tags: tillora");
    append(headers, message.alert ? "Priority: 4" : "Priority: 3");
    append(headers, "Content-Type: text/plain; charset=utf-8");
    if (!target.token.isEmpty())
        append(headers, "Authorization: Bearer " + headerSafe(target.token).toUtf8());
    append(headers, "Expect:"); // no 100-continue round trip for a short body

    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https,http");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L); // safe on a worker thread
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    curl::checkCertificates(c, target.caFile.toLocal8Bit());
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(limits.connect.count()));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(limits.whole.count()));
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, pastDeadline);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &deadline);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.constData());
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(body.size()));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, keepAnswer);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &attempt.answer);

    attempt.code = curl_easy_perform(c);
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &attempt.status);
    attempt.error = QString::fromUtf8(errorBuffer).trimmed();
    if (attempt.error.isEmpty())
        attempt.error = QString::fromUtf8(curl_easy_strerror(attempt.code));
    return attempt;
}

bool worthRetrying(const Attempt& attempt) {
    return attempt.code == CURLE_OK && (attempt.status == 429 || attempt.status >= 500);
}

QString seconds(std::chrono::milliseconds limit) {
    return QString::number(double(limit.count()) / 1000.0) + QStringLiteral(" s");
}

QString reasonFor(const Attempt& attempt, const QString& where, const PushLimits& limits) {
    switch (attempt.code) {
    case CURLE_OK: {
        const QString firstLine =
            QString::fromUtf8(attempt.answer).section(u'\n', 0, 0).trimmed().left(200);
        return (QStringLiteral("HTTP ") + QString::number(attempt.status) + u' ' + firstLine)
            .trimmed();
    }
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("the push server %1 was not found").arg(where);
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("the push server %1 could not be reached").arg(where);
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return QStringLiteral("the certificate of the push server %1 is not trusted (%2)")
            .arg(where, attempt.error);
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_ABORTED_BY_CALLBACK:
        return QStringLiteral("the push server %1 did not answer within %2")
            .arg(where, seconds(limits.whole));
    default:
        return QStringLiteral("the message could not be sent to %1 (%2)").arg(where, attempt.error);
    }
}

} // namespace

PushResult postToPush(const PushTarget& target, const NotifyMessage& message,
                      const PushLimits& limits) {
    if (const QString problem = pushServerProblem(target.server); !problem.isEmpty())
        return {false, problem};
    if (const QString problem = pushTopicProblem(target.topic); !problem.isEmpty())
        return {false, problem};
    initialiseOnce();

    QString server = target.server;
    while (server.endsWith(u'/'))
        server.chop(1);
    const QByteArray url = (server + u'/' + target.topic).toUtf8();
    const QString where = QUrl(server).authority();

    Attempt attempt = postOnce(url, target, message, limits);
    bool retried = false;
    if (worthRetrying(attempt)) {
        // Runs on a worker thread (see Notifier): sleeping here costs no CPU.
        std::this_thread::sleep_for(limits.retryAfter);
        attempt = postOnce(url, target, message, limits);
        retried = true;
    }
    if (attempt.code == CURLE_OK && attempt.status >= 200 && attempt.status < 300)
        return {true, {}};
    QString reason = reasonFor(attempt, where, limits);
    if (!target.token.isEmpty())
        reason.replace(target.token, QStringLiteral("***"));
    if (retried)
        reason += QStringLiteral(" (retried)");
    return {false, reason};
}

} // namespace tillora
