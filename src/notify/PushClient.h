#pragma once

#include "HttpsRequest.h"
#include "Notifier.h"

#include <chrono>

namespace tillora {

class CancelFlag;

// Where a push message goes: a server speaking the ntfy publishing format.
struct PushTarget {
    QString server; // "https://ntfy.sh"; http:// only to this computer
    QString topic;
    QString token;  // sent as a bearer token when set; never written into a reason
    QString caFile; // native path of a CA certificate file; empty: the system store
};

struct PushLimits {
    std::chrono::milliseconds connect{15000};
    std::chrono::milliseconds whole{30000}; // one request, connect included
    // A busy or failing server (429, 5xx) gets one more try after this long.
    std::chrono::milliseconds retryAfter{30000};
};

struct PushResult {
    bool sent = false;
    QString reason; // empty when sent
};

// POST <server>/<topic> with the text as the body and the subject as its title; blocks
// the calling thread until the server answers, a limit passes or `cancel` is set.
// Certificates are always checked. A 2xx answer is sent; anything else is a failure with
// the status and the first line of the answer.
PushResult postToPush(const PushTarget& target, const NotifyMessage& message,
                      const PushLimits& limits = {}, const CancelFlag* cancel = nullptr);

} // namespace tillora
