// Runs one backup against a drive folder and prints how long it took (and, of that, the
// flush of the backup drive at its end and reading the copies back), what it copied, skipped and
// kept as versions, the longest gap between processed events and the peak memory of the process.
// Used by scripts/bench-backup.sh; not a test.
#include "BackupEngine.h"
#include "BackupRunner.h"
#include "Clock.h"
#include "FakeBackupWindow.h"
#include "LinuxPlatform.h"
#include "ProgramValues.h"
#include "Prompts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace {

class YesPrompts final : public tillora::Prompts {
public:
    tillora::PromptAnswer ask(const tillora::PromptRequest&) override {
        return tillora::PromptAnswer::Yes;
    }
    void notify(const tillora::PromptRequest&) override {}
    std::optional<QString> input(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

// The real platform, timing the one flush of the backup drive.
class TimedFlushPlatform final : public tillora::LinuxPlatform {
public:
    using LinuxPlatform::LinuxPlatform;
    bool flushFileSystem(const QString& windowsPath) override {
        QElapsedTimer timer;
        timer.start();
        const bool flushed = LinuxPlatform::flushFileSystem(windowsPath);
        flushMs += timer.elapsed();
        return flushed;
    }
    qint64 flushMs = 0;
};

QString peakMemory() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("n/a");
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return QString::fromLatin1(line.mid(6).simplified());
    }
    return QStringLiteral("n/a");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: bench_backup <dosdevices folder> [source e.g. c:] "
                             "[destination e.g. e:]\n");
        return 2;
    }
    auto platform = std::make_unique<TimedFlushPlatform>(args.at(1));
    tillora::test::FakeBackupWindow window;
    window.source = args.value(2, QStringLiteral("c:"));
    window.destination = args.value(3, QStringLiteral("e:"));
    tillora::SystemClock clock;
    YesPrompts prompts;
    tillora::ProgramValues values;
    tillora::BackupEngine engine(window, window, *platform, clock, prompts, values, {});
    // As in the program: the copying on its own thread, this one's event loop free.
    tillora::BackupRunner runner(engine);

    // A timer that wants to run every 5 ms shows how long the event loop was kept waiting.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceTick.restart()); });

    QElapsedTimer run;
    QObject::connect(
        &runner, &tillora::BackupRunner::finished, [&](const tillora::BackupRunResult& result) {
            const qint64 elapsed = run.elapsed();
            const auto verify = result.verify.value_or(tillora::VerifySummary{});
            longestGap = std::max(longestGap, sinceTick.elapsed());
            QTextStream(stdout) << "outcome " << int(result.outcome) << "\nseconds "
                                << QString::number(double(elapsed) / 1000.0, 'f', 2)
                                << "\nflush_seconds "
                                << QString::number(double(platform->flushMs) / 1000.0, 'f', 2)
                                << "\nfiles_copied " << result.filesCopied << "\nbytes_copied "
                                << result.bytesCopied << "\nfiles_unchanged "
                                << result.filesUnchanged << "\nverify_written_seconds "
                                << verify.writtenSeconds << "\nverify_slice_seconds "
                                << verify.sliceSeconds << "\nverify_files " << verify.files
                                << "\nverify_bytes " << verify.bytes << "\nverify_damaged "
                                << verify.damaged << "\nversions_kept " << result.versionsKept
                                << "\nproblems " << result.problems.size()
                                << "\nlongest_event_gap_ms " << longestGap << "\npeak_memory "
                                << peakMemory() << "\nfolders " << window.steps.size() << '\n';
            for (const tillora::FileProblem& problem : result.problems)
                QTextStream(stderr)
                    << "problem: " << problem.path << ": " << problem.reason << '\n';
            app.exit(result.outcome == tillora::BackupEngine::Outcome::Completed ? 0 : 1);
        });
    QTimer::singleShot(0, [&] {
        sinceTick.start();
        ticker.start();
        run.start();
        runner.start(tillora::RunTrigger::Scheduled);
    });
    return app.exec();
}
