// Runs the off-site step once over a drive folder into a restic repository and prints
// its wall time and restic's summary. The repository password comes from the environment
// variable BENCH_PASSWORD (never an argument). Used by scripts/bench-offsite.sh; not a test.
#include "BackupRunResult.h"
#include "Clock.h"
#include "FakeBackupWindow.h"
#include "OffsiteFiles.h"
#include "OffsiteStep.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "SecretStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace tillora;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: bench_offsite <dosdevices folder> <repository> "
                             "[--write-list <file>]\n");
        return 2;
    }
    auto platform = createPlatform(args.at(1));
    test::FakeBackupWindow window;
    window.enabled = {true, true, true, false, false, false};
    SystemClock clock;
    ProgramValues values;
    values.DataDIR = QStringLiteral("c:\\BenchStore\\"); // outside the directory set
    values.CompanyName = QStringLiteral("Bench Store");

    if (const qsizetype at = args.indexOf(QStringLiteral("--write-list")); at > 0) {
        QFile list(args.value(at + 1));
        if (!list.open(QIODevice::WriteOnly) ||
            list.write(nulSeparated(directorySetFiles(window.snapshot(), *platform))) < 0)
            return 1;
        return 0;
    }

    const QTemporaryDir secretsFolder;
    SecretStore secrets(secretsFolder.path());
    OffsiteOptions options;
    options.enabled = true;
    options.repository = args.at(2);
    OffsiteSecrets keys;
    keys.password = qEnvironmentVariable("BENCH_PASSWORD");
    if (!options.save(*platform, values) || !keys.save(secrets))
        return 1;

    OffsiteStep step(window, *platform, clock, values, secrets);
    BackupRunResult night;
    night.trigger = RunTrigger::Scheduled;
    night.started = clock.now();
    QElapsedTimer wall;
    wall.start();
    QObject::connect(&step, &OffsiteStep::finished, &app, [&](const BackupRunResult& result) {
        const OffsiteSummary& s = *result.offsite;
        std::printf("wall_s %.2f outcome %d files_new %lld changed %lld unmodified %lld "
                    "added_bytes %lld snapshot %s %s\n",
                    double(wall.elapsed()) / 1000.0, int(s.outcome), s.filesNew, s.filesChanged,
                    s.filesUnmodified, s.bytesAdded, qPrintable(s.snapshotId),
                    qPrintable(s.reason));
        app.exit(s.outcome == OffsiteSummary::Outcome::Failed ? 1 : 0);
    });
    step.start(night);
    return app.exec();
}
