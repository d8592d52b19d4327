#include "BackgroundChild.h"

#include "Win32Api.h"

#include <QObject>
#include <QProcess>

#include <windows.h>

namespace tillora {

namespace {

// The job of one child, closed with its process object: the job ends every process
// still in it (restic's own helpers) when it is closed.
class ChildJob : public QObject {
public:
    ChildJob(void* job, QObject* parent)
        : QObject(parent)
        , job_(job) {}
    ~ChildJob() override { win32::closeJob(job_); }

private:
    void* job_;
};

} // namespace

void runAsBackgroundChild(QProcess& process) {
    // A console program started from a window program would open a console window.
    process.setCreateProcessArgumentsModifier(
        [](QProcess::CreateProcessArguments* arguments) { arguments->flags |= CREATE_NO_WINDOW; });
    QObject::connect(&process, &QProcess::started, &process, [&process] {
        if (void* job = win32::killOnCloseJobFor(static_cast<unsigned long>(process.processId())))
            new ChildJob(job, &process);
    });
}

} // namespace tillora
