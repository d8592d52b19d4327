#pragma once

#include "HostPlatform.h"

#include <QFile>
#include <QTemporaryDir>

namespace tillora::test {

// A stand-in for restic whose backup stalls (status lines, bytes done never growing),
// uploads without end (bytes done growing), fails as restic does when its server goes
// mid-upload, or makes a snapshot; its check always fails.
class FakeRestic {
public:
    FakeRestic() {
        QFile script(folder_.filePath("restic"));
        script.open(QIODevice::WriteOnly);
        script.write(QString::fromUtf8(R"sh(#!/bin/sh
status() { echo "{\"message_type\":\"status\",\"percent_done\":0.5,\"bytes_done\":$1}"; }
[ "$1" = check ] && echo 'Fatal: pack 1a2b is damaged' >&2 && exit 1
[ "$1" = backup ] || exit 0
case "$(cat '%1')" in
stall) while :; do status 100; sleep 0.05; done ;;
slow) n=0; while :; do n=$((n+1)); status $n; sleep 0.05; done ;;
fail) printf '%s\n%s' 'Save(<data/1a>) returned error, retrying after 1s: connection refused' \
   'error while unlocking: Delete locks/9: connection refused' >&2
   printf '%s\n%s\n' 'Fatal: unable to save snapshot: connection refused' \
   'error in cleanup handler: Delete locks/9: connection refused' >&2; exit 1 ;;
*) echo '{"message_type":"summary","files_new":1,"snapshot_id":"5ca1ab1e"}' ;;
esac
)sh")
                         .arg(pathForLinux(folder_.filePath("mode")))
                         .toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        program_ = shellScriptProgram(script.fileName());
        setMode("snapshot");
    }
    QString program() const { return program_; }
    void setMode(const QString& mode) {
        QFile file(folder_.filePath("mode"));
        file.open(QIODevice::WriteOnly);
        file.write(mode.toUtf8());
    }

private:
    QTemporaryDir folder_;
    QString program_;
};

} // namespace tillora::test
