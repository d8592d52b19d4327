#include "ResticRunner.h"

#include "BackgroundChild.h"
#include "HelperProgram.h"
#include "ResticJson.h"

namespace tillora {

namespace {

// restic's error output is kept to its last part: the reason is at the end, and a run
// over thousands of unreadable files must not grow without bound.
constexpr qsizetype ErrorOutputLimit = 64 * 1024;

} // namespace

QString limitInWords(std::chrono::milliseconds limit) {
    using namespace std::chrono;
    const auto count = [](auto amount, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(amount).arg(QLatin1String(amount == 1 ? one : many));
    };
    if (limit >= hours(1) && limit % hours(1) == milliseconds(0))
        return count(duration_cast<hours>(limit).count(), "hour", "hours");
    if (limit >= minutes(1) && limit % minutes(1) == milliseconds(0))
        return count(duration_cast<minutes>(limit).count(), "minute", "minutes");
    return count(duration_cast<seconds>(limit).count(), "second", "seconds");
}

ResticRunner::ResticRunner(QObject* parent)
    : QObject(parent) {
    limit_.setSingleShot(true);
    grace_.setSingleShot(true);
    connect(&limit_, &QTimer::timeout, this, [this] {
        end(QStringLiteral("stopped after %1")
                .arg(limitInWords(std::chrono::milliseconds(limit_.interval()))));
    });
    connect(&grace_, &QTimer::timeout, this, [this] {
        if (process_)
            process_->kill();
    });
}

ResticRunner::~ResticRunner() {
    if (process_) {
        process_->disconnect(this);
        process_->kill();
        process_->waitForFinished(5000);
    }
}

bool ResticRunner::start(const ResticCall& call, const QStringList& secrets, bool keepOutput) {
    if (process_)
        return false;
    pending_.clear();
    output_.clear();
    errors_.clear();
    secrets_ = secrets;
    program_ = call.program;
    endReason_.clear();
    keepOutput_ = keepOutput;

    process_ = std::make_unique<QProcess>();
    process_->setProgram(call.program);
    process_->setArguments(call.arguments);
    process_->setProcessEnvironment(call.environment);
    process_->setStandardInputFile(QProcess::nullDevice());
    runAsBackgroundChild(*process_);
    connect(process_.get(), &QProcess::readyReadStandardOutput, this, &ResticRunner::readOutput);
    connect(process_.get(), &QProcess::readyReadStandardError, this, [this] {
        errors_ += process_->readAllStandardError();
        if (errors_.size() > ErrorOutputLimit)
            errors_ = errors_.right(ErrorOutputLimit);
    });
    connect(process_.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return; // a crash or a kill also ends in finished()
        finish({ResticExit::Status::NotStarted,
                -1,
                {},
                {},
                QStringLiteral("restic could not be started (%1): %2; restic is a program of "
                               "its own: get it from https://github.com/restic/restic/releases "
                               "(or Debian's restic package) and put %3")
                    .arg(program_, process_->errorString(),
                         helperProgramPlaces(QStringLiteral("restic")))});
    });
    connect(process_.get(), &QProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) {
                readOutput();
                errors_ += process_->readAllStandardError();
                if (!pending_.isEmpty()) {
                    pending_ += '\n'; // the last line may lack its line end
                    readOutput();
                }
                ResticExit exit{ResticExit::Status::Succeeded, exitCode, {}, errors_, {}};
                if (!endReason_.isEmpty()) {
                    exit.status = ResticExit::Status::Failed;
                    exit.reason = endReason_;
                    exit.ended = true;
                } else if (status == QProcess::CrashExit) {
                    exit.status = ResticExit::Status::Failed;
                    exit.reason = QStringLiteral("restic was killed before it ended");
                } else if (exitCode != 0) {
                    exit.status = ResticExit::Status::Failed;
                    exit.reason = resticReason(errors_);
                    if (exit.reason.isEmpty())
                        exit.reason =
                            QStringLiteral("restic ended with exit code %1").arg(exitCode);
                }
                finish(exit);
            });
    limit_.start(call.limit);
    process_->start();
    return true;
}

void ResticRunner::end(const QString& reason) {
    if (!process_ || !endReason_.isEmpty())
        return;
    endReason_ = reason;
    // On Windows restic has no window to be asked; the kill then ends its whole job.
    process_->terminate();
    grace_.start(graceTime);
}

void ResticRunner::stop() {
    if (!process_)
        return;
    // A killed restic leaves at most a stale lock, cleared when a later call reports it.
    limit_.stop();
    grace_.stop();
    process_->disconnect(this);
    process_->kill();
    process_->waitForFinished(3000);
    process_.reset();
}

void ResticRunner::readOutput() {
    if (!process_)
        return;
    pending_ += process_->readAllStandardOutput();
    qsizetype start = 0;
    for (qsizetype end = pending_.indexOf('\n'); end >= 0; end = pending_.indexOf('\n', start)) {
        const QByteArray line = pending_.mid(start, end - start);
        if (keepOutput_)
            output_ += line + '\n';
        Q_EMIT outputLine(line);
        start = end + 1;
    }
    pending_.remove(0, start);
}

void ResticRunner::finish(ResticExit exit) {
    limit_.stop();
    grace_.stop();
    if (keepOutput_)
        exit.output = std::exchange(output_, {});
    exit.reason = clean(exit.reason);
    exit.errorOutput = clean(QString::fromUtf8(exit.errorOutput)).toUtf8();
    // The process object goes after this event: finish() runs inside its own signal.
    QProcess* done = process_.release();
    done->disconnect(this);
    done->deleteLater();
    // Always from the event loop, never from inside start(): a caller that starts the
    // next call on `finished` is not re-entered.
    QMetaObject::invokeMethod(
        this, [this, exit] { Q_EMIT finished(exit); }, Qt::QueuedConnection);
}

QString ResticRunner::clean(QString text) const {
    for (const QString& secret : secrets_)
        text.replace(secret, QStringLiteral("***"));
    return text;
}

} // namespace tillora
