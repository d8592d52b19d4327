#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace tillora {

class BackupSetupAccess;
class Platform;

// What a re-mapping found: the drive can be read, or why not.
struct NetConnectResult {
    bool connected = false;
    QString reason;
};

// The small window shown while a network drive is re-mapped (TLRAconnect). The window
// may close itself by its countdown at any time; the handle then does nothing.
class ConnectionWindow {
public:
    virtual ~ConnectionWindow() = default;
    virtual void showConnection(const QString& line) = 0; // Label2
    virtual void markReachable() = 0;                     // Label2 turns bright green
    virtual void unload() = 0;                            // closes the window at once
};

// Re-creates the mapping of the destination drive to its share, then tells whether the
// drive can be read. "Check Map" calls the same routine.
class NetReconnect {
public:
    using OpenWindow = std::function<std::unique_ptr<ConnectionWindow>()>;

    NetReconnect(const BackupSetupAccess& setup, Platform& platform, OpenWindow openWindow);

    NetConnectResult run();

    // "z: [\\server\share]" -> "z:" and "\\server\share".
    static QString letterOf(const QString& driveSpec);
    static QString shareOf(const QString& driveSpec);

private:
    bool driveReadable(const QString& letter, bool* holdsFiles) const;

    const BackupSetupAccess& setup_;
    Platform& platform_;
    OpenWindow openWindow_;
};

} // namespace tillora
