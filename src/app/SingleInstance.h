#pragma once

#include "Platform.h"

#include <QObject>

#include <memory>

class QLocalServer;

namespace tillora {

// Makes this process the one running copy of `programName`. When another copy already
// runs, shows "ERROR" (TLRAerror) until its "QUIT" is pressed, then asks that copy to show
// its window, and gives nothing: the caller then ends without touching any file.
std::unique_ptr<InstanceLock> claimOrExplain(Platform& platform, const QString& programName);

// Asks the running copy of `programName` to show its window; false when none answered.
bool askRunningCopyToShow(const Platform& platform, const QString& programName);

// The running copy's side: a later start of the same program asks it to show its window,
// so a window hidden with no icon to click is never out of reach for good.
class ShowRequests : public QObject {
    Q_OBJECT

public:
    ShowRequests(const Platform& platform, const QString& programName, QObject* parent = nullptr);

    bool listening() const;

Q_SIGNALS:
    void showRequested();

private:
    QLocalServer* server_;
};

} // namespace tillora
