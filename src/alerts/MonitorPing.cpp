#include "MonitorPing.h"

#include "RunSummary.h"

#include <QLocale>
#include <QUrl>

namespace tillora {

namespace {

constexpr std::chrono::seconds PingLimit{10};
constexpr qsizetype MaxKumaMessage = 200;

std::optional<QUrl> monitorUrl(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const bool web =
        url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http");
    if (!url.isValid() || !web || url.host().isEmpty())
        return std::nullopt;
    return url;
}

bool isKumaPush(const QUrl& url) {
    return url.path().contains(QLatin1String("/api/push/"));
}

QByteArray kumaUrl(const QUrl& url, PingKind kind, const BackupRunResult& result) {
    const QString line = summarize(result).line.left(MaxKumaMessage);
    // The owner may paste the URL as the monitor shows it, with a query of its own.
    return url.adjusted(QUrl::RemoveQuery | QUrl::RemoveFragment).toEncoded() +
           (kind == PingKind::Success ? "?status=up&msg=" : "?status=down&msg=") +
           QUrl::toPercentEncoding(line);
}

QByteArray suffixedUrl(QUrl url, PingKind kind) {
    QString path = url.path();
    while (path.endsWith(u'/'))
        path.chop(1);
    if (kind == PingKind::Start)
        path += QStringLiteral("/start");
    else if (kind == PingKind::Fail)
        path += QStringLiteral("/fail");
    url.setPath(path);
    url.setFragment({});
    return url.toEncoded();
}

QStringList reportLines(const BackupRunResult& result) {
    QStringList lines{summarize(result).line};
    if (result.isBackup()) {
        const QLocale locale;
        lines.append(QStringLiteral("Files: %1 copied, %2 unchanged, %3 not copied")
                         .arg(locale.toString(result.filesCopied),
                              locale.toString(result.filesUnchanged),
                              locale.toString(result.problems.size())));
    }
    if (!result.reason.isEmpty())
        lines.append(result.reason);
    for (const FileProblem& problem : result.problems)
        lines.append(QStringLiteral("Not copied: %1 (%2)").arg(problem.path, problem.reason));
    lines.append(result.notes);
    return lines;
}

} // namespace

QString pingKindName(PingKind kind) {
    switch (kind) {
    case PingKind::Start:
        return QStringLiteral("start");
    case PingKind::Success:
        return QStringLiteral("success");
    case PingKind::Fail:
        return QStringLiteral("fail");
    }
    return {};
}

QString pingUrlProblem(const QString& url) {
    if (url.trimmed().isEmpty() || monitorUrl(url))
        return {};
    return QStringLiteral("Ping URL: type the check's https:// address (http:// for a monitor "
                          "on the store's own network), or leave it empty.");
}

std::optional<PingKind> pingAfter(const BackupRunResult& result) {
    // The run going on, this user's or another's, pings for itself.
    if (!pingsStart(result.trigger) || result.outcome == RunOutcome::AlreadyRunning ||
        result.outcome == RunOutcome::RunningElsewhere)
        return std::nullopt;
    if (result.isBackup() || result.outcome == RunOutcome::AlreadyDoneToday)
        return PingKind::Success;
    return PingKind::Fail;
}

bool pingsStart(RunTrigger trigger) {
    return trigger != RunTrigger::BackupNow;
}

std::optional<HttpsRequest> pingRequest(const QString& text, PingKind kind,
                                        const BackupRunResult& result) {
    const auto url = monitorUrl(text);
    if (!url)
        return std::nullopt;
    HttpsRequest request;
    request.limits = {PingLimit, PingLimit};
    if (isKumaPush(*url)) {
        if (kind == PingKind::Start)
            return std::nullopt;
        request.method = HttpsRequest::Method::Get;
        request.url = kumaUrl(*url, kind, result);
        return request;
    }
    request.url = suffixedUrl(*url, kind);
    request.headers = {"Content-Type: text/plain; charset=utf-8",
                       "Expect:"}; // no 100-continue round trip for a short body
    if (kind != PingKind::Start)
        request.body = pingBody(result);
    return request;
}

QByteArray pingBody(const BackupRunResult& result) {
    const QStringList lines = reportLines(result);
    QByteArray body;
    // Room for the line that says how many did not fit.
    constexpr qsizetype Room = MaxPingBody - 40;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].toUtf8().left(Room) + '\n';
        if (body.size() + line.size() > Room) {
            body += QStringLiteral("and %1 more lines\n").arg(lines.size() - i).toUtf8();
            break;
        }
        body += line;
    }
    return body;
}

QString pingFailureReason(const HttpsResult& result, const QString& url) {
    QString reason;
    switch (result.failure) {
    case HttpsFailure::None:
        reason = QStringLiteral("HTTP %1").arg(result.status);
        break;
    case HttpsFailure::HostNotFound:
        reason = QStringLiteral("the monitor's server was not found");
        break;
    case HttpsFailure::Unreachable:
        reason = QStringLiteral("the monitor's server could not be reached");
        break;
    case HttpsFailure::CertificateNotTrusted:
        reason = QStringLiteral("the monitor's certificate is not trusted (%1)").arg(result.error);
        break;
    case HttpsFailure::ConnectTimedOut:
    case HttpsFailure::TimedOut:
        reason = QStringLiteral("no answer within %1 s").arg(PingLimit.count());
        break;
    case HttpsFailure::Cancelled:
        reason = QStringLiteral("the program ended first");
        break;
    case HttpsFailure::Other:
        reason = result.error;
        break;
    }
    // libcurl's words may quote the address, whose path holds the check's key.
    const QUrl parsed(url.trimmed());
    for (const QString& secret : {url.trimmed(), parsed.path(), parsed.path(QUrl::FullyEncoded)}) {
        if (secret.size() > 1)
            reason.replace(secret, QStringLiteral("***"));
    }
    return reason;
}

} // namespace tillora
