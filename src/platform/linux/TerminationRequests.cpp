#include "TerminationRequests.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tillora {

namespace {

// The signal handler may only write to a pipe; the event loop reads the other end.
int wakePipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(wakePipe[0], &byte, 1);
}

} // namespace

struct TerminationRequests::Watch {
    QSocketNotifier* notifier = nullptr;
};

TerminationRequests::TerminationRequests(QObject* parent)
    : QObject(parent)
    , watch_(new Watch) {
    if (wakePipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakePipe) != 0)
        return;
    for (int end : wakePipe)
        ::fcntl(end, F_SETFL, O_NONBLOCK);
    watch_->notifier = new QSocketNotifier(wakePipe[1], QSocketNotifier::Read, this);
    connect(watch_->notifier, &QSocketNotifier::activated, this, [this] {
        char buffer[16];
        while (::read(wakePipe[1], buffer, sizeof buffer) > 0) {
        }
        Q_EMIT requested();
    });

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

TerminationRequests::~TerminationRequests() {
    // Back to the default: a signal after this object is gone ends the process as usual.
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
    delete watch_;
}

} // namespace tillora
