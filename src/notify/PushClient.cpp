#include "PushClient.h"

#include "CancelFlag.h"
#include "DeliverySettings.h"
#include "HeaderSafety.h"

#include <QUrl>

#include <thread>

namespace tillora {

namespace {

HttpsRequest requestFor(const QByteArray& url, const PushTarget& target,
                        const NotifyMessage& message, const PushLimits& limits,
                        const CancelFlag* cancel) {
    HttpsRequest request;
    request.url = url;
    request.headers = {"Title: " + encodedHeaderValue(message.subject),
                       message.alert ? "Tags: tillora,warning" : "Tags: tillora",
                       message.alert ? "Priority: 4" : "Priority: 3",
                       "Content-Type: text/plain; charset=utf-8"};
    if (!target.token.isEmpty())
        request.headers.append("Authorization: Bearer " + headerSafe(target.token).toUtf8());
    request.headers.append("Expect:"); // no 100-continue round trip for a short body
    request.body = message.text.toUtf8();
    request.caFile = target.caFile;
    request.limits = {limits.connect, limits.whole};
    request.cancel = cancel;
    return request;
}

bool worthRetrying(const HttpsResult& result) {
    return result.answered() && (result.status == 429 || result.status >= 500);
}

QString seconds(std::chrono::milliseconds limit) {
    return QString::number(double(limit.count()) / 1000.0) + QStringLiteral(" s");
}

QString reasonFor(const HttpsResult& result, const QString& where, const PushLimits& limits) {
    switch (result.failure) {
    case HttpsFailure::None: {
        const QString firstLine =
            QString::fromUtf8(result.answer).section(u'\n', 0, 0).trimmed().left(200);
        return (QStringLiteral("HTTP ") + QString::number(result.status) + u' ' + firstLine)
            .trimmed();
    }
    case HttpsFailure::HostNotFound:
        return QStringLiteral("the push server %1 was not found").arg(where);
    case HttpsFailure::Unreachable:
        return QStringLiteral("the push server %1 could not be reached").arg(where);
    case HttpsFailure::CertificateNotTrusted:
        return QStringLiteral("the certificate of the push server %1 is not trusted (%2)")
            .arg(where, result.error);
    case HttpsFailure::ConnectTimedOut:
        return QStringLiteral("the push server %1 took no connection within %2 (the connect limit)")
            .arg(where, seconds(limits.connect));
    case HttpsFailure::TimedOut:
        return QStringLiteral("the push server %1 did not answer within %2")
            .arg(where, seconds(limits.whole));
    case HttpsFailure::Cancelled:
        return QStringLiteral("the program ended before the push server %1 answered").arg(where);
    case HttpsFailure::Other:
        break;
    }
    return QStringLiteral("the message could not be sent to %1 (%2)").arg(where, result.error);
}

} // namespace

PushResult postToPush(const PushTarget& target, const NotifyMessage& message,
                      const PushLimits& limits, const CancelFlag* cancel) {
    if (const QString problem = pushServerProblem(target.server); !problem.isEmpty())
        return {false, problem};
    if (const QString problem = pushTopicProblem(target.topic); !problem.isEmpty())
        return {false, problem};

    QString server = target.server;
    while (server.endsWith(u'/'))
        server.chop(1);
    const QString where = QUrl(server).authority();
    const HttpsRequest request =
        requestFor((server + u'/' + target.topic).toUtf8(), target, message, limits, cancel);

    HttpsResult result = sendHttps(request);
    bool retried = false;
    if (worthRetrying(result)) {
        // Runs off the window's thread (see Notifier): the wait costs no CPU, and the
        // program's end cuts it short.
        if (cancel)
            cancel->sleepFor(limits.retryAfter);
        else
            std::this_thread::sleep_for(limits.retryAfter);
        result = sendHttps(request);
        retried = true;
    }
    if (result.succeeded())
        return {true, {}};
    QString reason = reasonFor(result, where, limits);
    if (!target.token.isEmpty())
        reason.replace(target.token, QStringLiteral("***"));
    if (retried)
        reason += QStringLiteral(" (retried)");
    return {false, reason};
}

} // namespace tillora
