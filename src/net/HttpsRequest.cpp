#include "HttpsRequest.h"

#include "CancelFlag.h"
#include "CurlHandles.h"

#include <algorithm>

namespace tillora {

namespace {

constexpr size_t AnswerKept = 4096; // enough for the first line of any error page

size_t keepAnswer(char* data, size_t size, size_t count, void* user) {
    auto* answer = static_cast<QByteArray*>(user);
    const size_t bytes = size * count;
    if (size_t(answer->size()) < AnswerKept)
        answer->append(data, qsizetype(std::min(bytes, AnswerKept - size_t(answer->size()))));
    return bytes;
}

// True once the connection stood, TLS handshake included where there is one.
bool connected(CURL* handle, const QByteArray& url) {
    curl_off_t micros = 0;
    const CURLINFO info =
        url.startsWith("https:") ? CURLINFO_APPCONNECT_TIME_T : CURLINFO_CONNECT_TIME_T;
    return curl_easy_getinfo(handle, info, &micros) == CURLE_OK && micros > 0;
}

HttpsFailure failureOf(CURLcode code, const curl::Watch& watch, bool connected) {
    if (watch.cancelled)
        return HttpsFailure::Cancelled;
    if (watch.deadlinePassed)
        return HttpsFailure::TimedOut;
    switch (code) {
    case CURLE_OK:
        return HttpsFailure::None;
    case CURLE_COULDNT_RESOLVE_HOST:
        return HttpsFailure::HostNotFound;
    case CURLE_COULDNT_CONNECT:
        return HttpsFailure::Unreachable;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
        return HttpsFailure::CertificateNotTrusted;
    case CURLE_OPERATION_TIMEDOUT:
        return connected ? HttpsFailure::TimedOut : HttpsFailure::ConnectTimedOut;
    default:
        return HttpsFailure::Other;
    }
}

} // namespace

HttpsResult sendHttps(const HttpsRequest& request) {
    curl::initialiseOnce();
    HttpsResult result;
    curl::Handle curl(curl_easy_init());
    if (!curl) {
        result.failure = HttpsFailure::Other;
        result.curlCode = CURLE_FAILED_INIT;
        return result;
    }
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl::List headers;
    for (const QByteArray& line : request.headers)
        curl::append(headers, line);
    const QByteArray caFile = request.caFile.toLocal8Bit();
    curl::Watch watch{std::chrono::steady_clock::now() + request.limits.whole, request.cancel};

    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, request.url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "https,http");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L); // safe on a worker thread
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    curl::checkCertificates(c, caFile);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(request.limits.connect.count()));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(request.limits.whole.count()));
    curl::watchProgress(c, watch);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    if (request.method == HttpsRequest::Method::Get) {
        curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    } else {
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.body.constData());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.body.size()));
    }
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, keepAnswer);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &result.answer);

    const CURLcode code = curl_easy_perform(c);
    result.curlCode = int(code);
    result.failure = failureOf(code, watch, connected(c, request.url));
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &result.status);
    result.error = QString::fromUtf8(errorBuffer).trimmed();
    if (result.error.isEmpty())
        result.error = QString::fromUtf8(curl_easy_strerror(code));
    return result;
}

} // namespace tillora
