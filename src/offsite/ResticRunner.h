#pragma once

#include "ResticCommand.h"

#include <QObject>
#include <QProcess>
#include <QTimer>

#include <memory>

namespace tillora {

// How one restic call ended.
struct ResticExit {
    enum class Status { Succeeded, Failed, NotStarted };
    Status status = Status::Failed;
    int exitCode = -1;
    QByteArray output;      // standard output, when kept (see ResticRunner::keepOutput)
    QByteArray errorOutput; // the last part of the error output, cleaned of every secret
    QString reason;         // restic's own words, cleaned of every secret; empty on success
    bool ended = false;     // ended by its limit or by end(), not by restic itself
    bool succeeded() const { return status == Status::Succeeded; }
};

// "8 hours", "30 minutes", "5 seconds": a limit as the owner reads it.
QString limitInWords(std::chrono::milliseconds limit);

// Runs one restic call at a time as a child process with an argument list (no shell),
// without blocking: the event loop keeps running and the result comes as a signal. A call
// past its limit is ended as end() ends it, "stopped after 8 hours".
class ResticRunner : public QObject {
    Q_OBJECT

public:
    explicit ResticRunner(QObject* parent = nullptr);
    ~ResticRunner() override;

    // Starts the call; false when another is still running.
    bool start(const ResticCall& call, const QStringList& secrets, bool keepOutput = false);
    bool running() const { return process_ != nullptr; }
    // Ends the running call at once; no `finished` follows.
    void stop();
    // Asks the running call to end (restic then removes its lock), kills it when it has
    // not ended within the grace time; `finished` follows as a failure with `reason`.
    void end(const QString& reason);

    std::chrono::milliseconds graceTime{std::chrono::seconds(10)};

Q_SIGNALS:
    // One line of standard output, as it arrives.
    void outputLine(const QByteArray& line);
    void finished(const ResticExit& exit);

private:
    void readOutput();
    void finish(ResticExit exit);
    QString clean(QString text) const;

    std::unique_ptr<QProcess> process_;
    QByteArray pending_;
    QByteArray output_;
    QByteArray errors_;
    QStringList secrets_;
    QString program_;
    QString endReason_;
    QTimer limit_;
    QTimer grace_;
    bool keepOutput_ = false;
};

} // namespace tillora
