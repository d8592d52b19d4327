#include "NetReconnect.h"

#include "BackupSetupSnapshot.h"
#include "Platform.h"

#include <QDir>
#include <QFileInfo>

namespace tillora {

NetReconnect::NetReconnect(const BackupSetupAccess& setup, Platform& platform,
                           OpenWindow openWindow)
    : setup_(setup)
    , platform_(platform)
    , openWindow_(std::move(openWindow)) {
}

QString NetReconnect::letterOf(const QString& driveSpec) {
    return driveSpec.left(2).trimmed();
}

QString NetReconnect::shareOf(const QString& driveSpec) {
    QString share = driveSpec.mid(2);
    share.remove(u'[');
    share.remove(u']');
    return share.trimmed();
}

NetConnectResult NetReconnect::run() {
    std::unique_ptr<ConnectionWindow> window = openWindow_ ? openWindow_() : nullptr;
    const QString spec = setup_.snapshot().destinationDriveText();
    const QString letter = letterOf(spec);
    const QString share = shareOf(spec);
    if (window)
        window->showConnection(spec.left(2) + u' ' + share);

    // The command runs on its own; what it prints and how it ends are not read. Whether
    // the drive can be read afterwards is what counts.
    platform_.startDetached(platform_.remapCommand(letter, share));

    bool holdsFiles = false;
    if (!driveReadable(letter, &holdsFiles)) {
        // The window stays for its countdown so the operator can see what was tried.
        return {false, QStringLiteral("the network drive %1 cannot be read").arg(spec)};
    }
    if (holdsFiles && window)
        window->markReachable();
    if (window)
        window->unload();
    return {true, {}};
}

bool NetReconnect::driveReadable(const QString& letter, bool* holdsFiles) const {
    if (letter.size() != 2 || letter[1] != u':' || !letter[0].isLetter())
        return false;
    const QString root = platform_.nativePath(letter + u'\\');
    const QFileInfo info(root);
    if (!info.isDir() || !info.isReadable())
        return false;
    *holdsFiles = !QDir(root).entryList(QDir::Files).isEmpty();
    return true;
}

} // namespace tillora
