// Windows paths resolved through a drive folder: a path with a drive letter always lands
// under that folder, whatever its components.
#include "DriveFolder.h"
#include "FuzzInput.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace tillora;
using namespace tillora::fuzz;

namespace {

// A drive folder with drive c: and a few folders in it, made once per run.
const QString& driveFolder() {
    static QTemporaryDir root;
    static const QString folder = [] {
        const QString drives = root.filePath(QStringLiteral("dosdevices"));
        const QString driveC = root.filePath(QStringLiteral("drive_c"));
        QDir().mkpath(driveC + QStringLiteral("/Tillora/ini"));
        QDir().mkpath(driveC + QStringLiteral("/shiftra/Data"));
        QDir().mkpath(drives);
        QFile::link(driveC, drives + QStringLiteral("/c:"));
        return drives;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = textOf(data, size);
    const DriveFolder drives(driveFolder());
    const QString resolved = drives.resolve(path);
    const bool hasDrive = path.size() >= 2 && path[1] == u':' && path[0].isLetter();
    if (hasDrive)
        require(resolved.startsWith(driveFolder() + u'/'), "a drive path stays in its drive");
    return 0;
}
