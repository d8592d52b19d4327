#pragma once

#include "BackupRunResult.h"
#include "HttpsRequest.h"

#include <QString>

#include <chrono>
#include <optional>

namespace tillora {

// A monitoring service outside this PC expects a ping after every night's backup and
// tells the owner when none comes: the one warning that still goes out when the PC
// itself is dead. The URL holds the check's key, so it lives in the secret store and is
// never written into a log or a message.
inline const QString MonitorPingUrlKey = QStringLiteral("Monitor/PingURL");

enum class PingKind { Start, Success, Fail };

// "start", "success", "fail": in the history's notes.
QString pingKindName(PingKind kind);

// Empty when `url` may be saved (empty switches the ping off); otherwise a sentence that
// names the field and never repeats what was typed.
QString pingUrlProblem(const QString& url);

// The ping a nightly run's end calls for: success for a backup (files not copied
// included, the run's own alert tells those) and for a scheduled tick that found the
// night's backup made; fail for a run that did not complete. "Backup Now" pings nothing,
// so the watcher's clock follows the nights; nor does a run refused as already running.
std::optional<PingKind> pingAfter(const BackupRunResult& result);
// Whether a run started by `trigger` tells the watcher it has started.
bool pingsStart(RunTrigger trigger);

// The request of one ping to `url`, whose form decides how it is sent: an Uptime Kuma
// push monitor (".../api/push/<key>") takes a GET with the status and the result line in
// the query and has no start ping; every other monitor takes a POST of the run's
// report to <url>, <url>/start or <url>/fail. Nothing when the form has no such ping or
// the URL does not read. `result` is the run's, unused for a start.
std::optional<HttpsRequest> pingRequest(const QString& url, PingKind kind,
                                        const BackupRunResult& result);

// What a POST ping carries: the run's result line, its files counted and its problems,
// at most MaxPingBody bytes of UTF-8.
inline constexpr qsizetype MaxPingBody = 10 * 1024;
QByteArray pingBody(const BackupRunResult& result);

// Why a ping was not delivered, without the URL or any part of its path.
QString pingFailureReason(const HttpsResult& result, const QString& url);

} // namespace tillora
