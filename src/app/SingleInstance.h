#pragma once

#include "Platform.h"

#include <QObject>

#include <chrono>
#include <memory>

class QLocalServer;

namespace tillora {

// Makes this process the one running copy of `programName`. When another copy already
// runs, shows "ERROR" (TLRAerror) until its "QUIT" is pressed, then asks that copy to show
// its window, and gives nothing: the caller then ends without touching any file.
std::unique_ptr<InstanceLock> claimOrExplain(Platform& platform, const QString& programName);

// Asks the running copy of `programName` to show its window; false when none answered.
bool askRunningCopyToShow(const Platform& platform, const QString& programName);

// How asking the running copy of a program to end came out.
enum class EndOfRunningCopy {
    NoneRan,   // no copy of the program runs for this user
    Ended,     // it ran, and has ended
    StillRuns, // it did not end within the limit, or could not be asked
};
// The command-line option with which the installer asks: "end once idle, and tell me".
inline constexpr char EndWhenIdleOption[] = "--end-when-idle";
// The exit code of a start with that option, for each outcome: 0, 3, 4.
int exitCodeOf(EndOfRunningCopy outcome);
// Asks the running copy of `programName` (this user's) to end once no backup or restore
// runs, and waits up to `limit` for it to end. An installer replacing the programs asks so.
EndOfRunningCopy endRunningCopy(Platform& platform, const QString& programName,
                                std::chrono::milliseconds limit);

// The running copy's side of the requests of later starts: to show its window, so a
// window hidden with no icon to click is never out of reach for good; and to end once
// idle, which keeps the request's connection open until this process ends.
class InstanceRequests : public QObject {
    Q_OBJECT

public:
    InstanceRequests(const Platform& platform, const QString& programName,
                     QObject* parent = nullptr);

    bool listening() const;

Q_SIGNALS:
    void showRequested();
    void endRequested();

private:
    QLocalServer* server_;
};

} // namespace tillora
