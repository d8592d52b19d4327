#pragma once

#include <QByteArray>

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace tillora::curl {

// libcurl's global set-up, once per process, before the first handle.
inline void initialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// libcurl's handles, freed on every path.
struct Deleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};
using Handle = std::unique_ptr<CURL, Deleter>;
using List = std::unique_ptr<curl_slist, Deleter>;
using Mime = std::unique_ptr<curl_mime, Deleter>;

// Adds a line to a header or recipient list; the list stays as it was when out of memory.
inline void append(List& list, const QByteArray& line) {
    if (curl_slist* grown = curl_slist_append(list.get(), line.constData())) {
        (void)list.release();
        list.reset(grown);
    }
}

// Certificates are always checked, chain and host name, against the system's store or
// the given CA file (libcurl keeps its own copy of the name).
inline void checkCertificates(CURL* handle, const QByteArray& caFile) {
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!caFile.isEmpty())
        curl_easy_setopt(handle, CURLOPT_CAINFO, caFile.constData());
}

} // namespace tillora::curl
