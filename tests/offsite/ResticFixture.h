#pragma once

#include "BackupStore.h"
#include "OffsiteStep.h"
#include "ResticRunner.h"
#include "SecretStore.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace tillora::test {

// `rclone serve restic --append-only` on 127.0.0.1: a real restic REST server that
// refuses to delete, as the store's off-site server should.
class RestServer {
public:
    explicit RestServer(const QString& folder) {
        server_.setProgram(QStringLiteral("rclone"));
        server_.setArguments({QStringLiteral("serve"), QStringLiteral("restic"),
                              QStringLiteral("--addr"), QStringLiteral("127.0.0.1:0"),
                              QStringLiteral("--append-only"), folder});
        server_.setProcessChannelMode(QProcess::MergedChannels);
        server_.start();
        // It names the port it chose itself, so no two tests race for one.
        const QRegularExpression serving(QStringLiteral(R"(Serving restic REST API on (\S+))"));
        QByteArray log;
        QElapsedTimer waited;
        waited.start();
        while (url_.isEmpty() && waited.elapsed() < 15000 && server_.waitForReadyRead(15000)) {
            log += server_.readAll();
            if (const auto match = serving.match(QString::fromUtf8(log)); match.hasMatch())
                url_ = match.captured(1);
        }
    }
    ~RestServer() { stop(); }

    QString url() const { return url_; } // "http://127.0.0.1:PORT/"
    void stop() {
        server_.kill();
        server_.waitForFinished(5000);
    }

private:
    QProcess server_;
    QString url_;
};

// A store with its backup settings, secrets and an off-site step, and restic calls a
// test makes itself.
struct OffsiteStore : BackupStore {
    OffsiteStore() {
        values.CompanyName = QStringLiteral("Joe's Pizza, Main St.");
        // Outside the directory set, so the options file the step rewrites is not part
        // of the copy the tests compare.
        values.DataDIR = QStringLiteral("c:\\Store\\");
    }

    void configure(const QString& repository, const QString& password, const QString& restic = {}) {
        OffsiteOptions options;
        options.enabled = true;
        options.repository = repository;
        options.resticProgram = restic;
        QVERIFY(options.save(platform, values).ok);
        OffsiteSecrets keys;
        keys.password = password;
        QVERIFY(keys.save(secrets).ok);
    }

    ResticCommands commands() const {
        return ResticCommands(OffsiteOptions::load(platform, values),
                              OffsiteSecrets::load(secrets));
    }

    ResticExit restic(const ResticCall& call) {
        ResticRunner runner;
        QSignalSpy done(&runner, &ResticRunner::finished);
        runner.start(call, {}, true);
        done.wait(60000);
        return done.isEmpty() ? ResticExit{} : done.first().first().value<ResticExit>();
    }

    // A nightly run of the local backup, then its off-site step to the end.
    BackupRunResult nightlyRun() {
        const BackupRunResult local = engine.RunBackup(RunTrigger::Scheduled);
        BackupRunResult result = local;
        if (offsite.follows(local)) {
            QSignalSpy done(&offsite, &OffsiteStep::finished);
            offsite.start(local);
            done.wait(120000);
            if (!done.isEmpty())
                result = done.first().first().value<BackupRunResult>();
        }
        clock.advanceSeconds(24 * 3600);
        return result;
    }

    QTemporaryDir secretsFolder;
    SecretStore secrets{secretsFolder.path()};
    OffsiteStep offsite{window, platform, clock, values, secrets};
};

} // namespace tillora::test
