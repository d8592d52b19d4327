#include "TerminationRequests.h"

namespace tillora {

// A logout reaches a Windows program as the session manager's request, which the toolkit
// delivers to the application; nothing needs to be watched here.
struct TerminationRequests::Watch {};

TerminationRequests::TerminationRequests(QObject* parent)
    : QObject(parent) {
}

TerminationRequests::~TerminationRequests() = default;

} // namespace tillora
