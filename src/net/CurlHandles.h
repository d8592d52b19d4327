#pragma once

#include "CancelFlag.h"

#include <QByteArray>

#include <curl/curl.h>

#include <chrono>
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

// The two ends of a transfer besides libcurl's own limits: our deadline, which libcurl
// does not apply to every wait of every protocol, and the program's end.
struct Watch {
    std::chrono::steady_clock::time_point deadline;
    const CancelFlag* cancel = nullptr;
    bool deadlinePassed = false;
    bool cancelled = false;
    // Set by the caller when nothing more is worth waiting for (a farewell reply).
    bool waitNoLonger = false;
};

// libcurl calls this at least once a second, also while it waits for a reply: a transfer
// ends within a second of its deadline or of the program's end, however the server stalls.
inline int checkWatch(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* watch = static_cast<Watch*>(data);
    if (watch->waitNoLonger)
        return 1;
    if (watch->cancel && watch->cancel->cancelled()) {
        watch->cancelled = true;
        return 1;
    }
    if (std::chrono::steady_clock::now() < watch->deadline)
        return 0;
    watch->deadlinePassed = true;
    return 1;
}

inline void watchProgress(CURL* handle, Watch& watch) {
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, checkWatch);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &watch);
}

} // namespace tillora::curl
