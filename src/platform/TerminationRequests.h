#pragma once

#include <QObject>

namespace tillora {

// Requests from outside to end the program (a plain kill, a closed terminal, Ctrl+C), turned
// into a signal on the event loop so the program ends through its own terminate path. On
// Windows a logout arrives through the toolkit's session management instead, so there this
// object never fires.
class TerminationRequests : public QObject {
    Q_OBJECT

public:
    explicit TerminationRequests(QObject* parent = nullptr);
    ~TerminationRequests() override;

Q_SIGNALS:
    void requested();

private:
    struct Watch;
    Watch* watch_ = nullptr;
};

} // namespace tillora
