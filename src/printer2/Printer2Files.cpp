#include "Printer2Files.h"

#include "Platform.h"
#include "PosSettingsRecord.h"
#include "ProgramValues.h"

#include <QFile>
#include <QFileInfo>

namespace tillora {

Printer2Files::Printer2Files(Platform& platform, ProgramValues& values)
    : platform_(platform)
    , values_(values) {
}

QString Printer2Files::settingsFilePath() {
    return QStringLiteral("C:\\tillora\\TlraIni.dat");
}

QString Printer2Files::schedulePath() const {
    return values_.DataDIR + QStringLiteral("TlraKP2Ini.dat");
}

QString Printer2Files::markerPath() const {
    return values_.DataDIR + QStringLiteral("dontprint.txt");
}

QString Printer2Files::native(const QString& windowsPath) const {
    return platform_.nativePath(windowsPath);
}

std::optional<QString> Printer2Files::readBannerSettings() {
    const QString path = native(settingsFilePath());
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    const auto record = PosSettingsRecord::read(path);
    if (!record)
        return std::nullopt;
    QString dataFolder = record->trimmed(PosSettingsRecord::DataDirectory);
    if (!dataFolder.isEmpty()) {
        // File names are appended directly to the folder text.
        if (!dataFolder.endsWith(u'\\'))
            dataFolder += u'\\';
        values_.DataDIR = dataFolder;
    }
    return record->trimmed(PosSettingsRecord::CompanyName);
}

std::optional<KitchenSchedule> Printer2Files::loadSchedule() const {
    const QString path = native(schedulePath());
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    const auto bytes = readWholeFile(path);
    if (!bytes)
        return std::nullopt;
    return parseScheduleFile(*bytes);
}

SaveResult Printer2Files::saveSchedule(const KitchenSchedule& schedule) const {
    return saveFileAtomically(native(schedulePath()), scheduleFileBytes(schedule));
}

bool Printer2Files::switchOn() const {
    return saveFileAtomically(native(markerPath()), QByteArray()).ok;
}

bool Printer2Files::switchOff() const {
    const QString path = native(markerPath());
    QFile::remove(path);
    return !QFileInfo::exists(path);
}

bool Printer2Files::markerPresent() const {
    return QFileInfo::exists(native(markerPath()));
}

} // namespace tillora
