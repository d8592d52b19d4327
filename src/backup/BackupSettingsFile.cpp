#include "BackupSettingsFile.h"

#include "DataFiles.h"
#include "FileSave.h"
#include "PosSettingsRecord.h"
#include "QuotedCsv.h"

#include <QDir>
#include <QFileInfo>

namespace tillora {

namespace {

const QString TimeLabel = QStringLiteral("Time Start    ");
const QString FromLabel = QStringLiteral("Backup From   ");
const QString ToLabel = QStringLiteral("Backup To     ");
const QString DateLabel = QStringLiteral("Last Date     ");

// Where rows 0-3, then the date line, then row 4 sit in the file.
constexpr int FolderLinesBeforeDate = 4;

int flagOf(const QString& text) {
    // Any non-zero value ticks the box, as a check box value always has.
    return leadingNumber(text) != 0.0 ? -1 : 0;
}

QString withTrailingBackslash(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith(u'\\'))
        folder += u'\\';
    return folder;
}

} // namespace

std::array<QString, BackupSettings::FolderCount> BackupSettings::defaultFolderNames() {
    return {QStringLiteral("Tillora"), QStringLiteral("Shiftra"), QStringLiteral("Loyvana"),
            QStringLiteral("Cardessa"), QStringLiteral("Paydex")};
}

BackupSettingsFile::BackupSettingsFile(Platform& platform, Prompts& prompts, ProgramValues& values)
    : platform_(platform)
    , prompts_(prompts)
    , values_(values) {
}

QString BackupSettingsFile::path() const {
    return DataFiles::path(values_.DataDIR, DataFile::Autobackup);
}

QByteArray BackupSettingsFile::savedBytes(const BackupSettings& s) {
    QuotedLineWriter w;
    w.text(TimeLabel).text(s.startTime).endLine();
    w.text(FromLabel).text(s.sourceDrive).endLine();
    w.text(ToLabel).text(s.destinationDrive).endLine();
    for (int i = 0; i < FolderLinesBeforeDate; ++i)
        w.text(s.folderNames[i]).number(static_cast<long long>(s.flags[i])).endLine();
    w.text(DateLabel).text(s.lastDate).endLine();
    w.text(s.folderNames[4]).number(static_cast<long long>(s.flags[4])).endLine();
    w.text(BackupSettings::networkRowText())
        .number(static_cast<long long>(s.flags[BackupSettings::NetworkRow]))
        .endLine();
    return w.bytes();
}

QByteArray BackupSettingsFile::defaultBytes(const BackupSettings& current) {
    QuotedLineWriter w;
    w.text(TimeLabel).text(QStringLiteral("03:00 am")).endLine();
    w.text(FromLabel).text(QStringLiteral("c:\\")).endLine();
    w.text(ToLabel).text(QStringLiteral("c:\\")).endLine();
    for (int i = 0; i < FolderLinesBeforeDate; ++i)
        w.text(current.folderNames[i]).text(QStringLiteral("-1")).endLine();
    w.text(DateLabel).text(current.lastDate).endLine();
    w.text(current.folderNames[4]).text(QStringLiteral("0")).endLine();
    w.text(BackupSettings::networkRowText()).text(QStringLiteral("0")).endLine();
    return w.bytes();
}

std::optional<QString> BackupSettingsFile::folderNameProblem(const QString& name) {
    if (name.contains(u'"'))
        return QStringLiteral("A folder name cannot contain a double quote (\"). "
                              "Please remove it from \"%1\".")
            .arg(name);
    return std::nullopt;
}

std::optional<QString> BackupSettingsFile::selectableDrive(const Platform& platform,
                                                           const QString& value) {
    const QString letter = value.trimmed().left(2).toLower();
    if (letter.size() != 2 || !letter[0].isLetter() || letter[1] != u':')
        return std::nullopt;
    for (const QString& entry : platform.drives()) {
        if (entry.left(2).toLower() != letter)
            continue;
        const QDir root(platform.nativePath(letter + u'\\'));
        if (!root.exists() || !root.isReadable())
            return std::nullopt;
        return entry;
    }
    return std::nullopt;
}

void BackupSettingsFile::inform(const QString& title, const QString& text) {
    // Start-up goes on while the message waits: after an unattended restart at night the
    // program must be resident and scheduling, not waiting for an OK.
    prompts_.notify({PromptIcon::Critical, PromptButtons::Ok, title, text, PromptAnswer::Ok});
}

bool BackupSettingsFile::write(const QByteArray& bytes, const FailureNotice& tell) {
    // The "ini" folder may be missing from a fresh data folder; it is made only on a drive
    // that is there. A folder that cannot be made fails the save below, which tells why.
    DataFiles::makeFolder(platform_, values_.DataDIR);
    const QString native = platform_.nativePath(path());
    const SaveResult result = saveFileAtomically(native, bytes);
    if (result) {
        failureReported_ = false;
        return true;
    }
    if (!failureReported_) {
        failureReported_ = true;
        const QString title = QStringLiteral("Settings not Saved");
        const QString text =
            QStringLiteral("The backup settings could not be saved to %1 (%2). The settings "
                           "shown stay in use until the program ends.")
                .arg(path(), result.reason);
        if (tell)
            tell(title, text);
        else
            prompts_.critical(title, text);
    }
    return false;
}

bool BackupSettingsFile::save(const BackupSettings& settings, const FailureNotice& tell) {
    return write(savedBytes(settings), tell);
}

bool BackupSettingsFile::dataDriveReachable() {
    const QString drive = values_.DataDIR.left(2);
    if (drive.size() != 2 || !drive[0].isLetter() || drive[1] != u':')
        return true;
    const QString root = platform_.nativePath(drive + u'\\');
    if (QFileInfo(root).isDir())
        return true;
    // One message that names the cause, not a missing file followed by a failed save;
    // saves stay quiet until one succeeds.
    inform(QStringLiteral("Data Drive not Found"),
           QStringLiteral("Drive %1 (the store's data drive) cannot be reached: %2")
               .arg(drive.toUpper(), QDir::toNativeSeparators(root)));
    failureReported_ = true;
    return false;
}

BackupSettings BackupSettingsFile::load(const BackupSettings& current, const FailureNotice& tell) {
    if (values_.DataDIR.isEmpty())
        values_.DataDIR = QStringLiteral("c:\\Tillora\\");
    BackupSettings s = current;
    if (!dataDriveReachable())
        return s;

    if (!QFileInfo::exists(platform_.nativePath(path()))) {
        inform(QStringLiteral("Config file Missing"),
               QStringLiteral("Unable to locate the CONFIG file for your backups.We are using "
                              "the default settings, please review them."));
        write(defaultBytes(current), tell);
    }

    const auto bytes = readWholeFile(platform_.nativePath(path()));
    if (!bytes)
        return s;
    QuotedValueReader reader(*bytes);

    if (auto line = reader.nextRecord(2))
        s.startTime = line->at(1);
    else
        return s;

    // A drive that is not connected keeps its saved value: the window lists it as not
    // connected, a run to or from it fails, and the next save writes it back unchanged.
    auto readDrive = [&](QString& drive, const QString& title, const QString& which) {
        const auto line = reader.nextRecord(2);
        if (!line)
            return false;
        const QString value = line->at(1);
        if (const auto selectable = selectableDrive(platform_, value)) {
            drive = *selectable;
            return true;
        }
        drive = value;
        const QString letter = value.trimmed().left(2);
        inform(title, QStringLiteral("You have set the %1 drive as %2, but this drive is not "
                                     "connected. Your backup settings are kept; please reconnect "
                                     "the drive.")
                          .arg(which, letter.endsWith(u':') ? letter : value));
        return true;
    };
    if (!readDrive(s.sourceDrive, QStringLiteral("Source Drive not Found"),
                   QStringLiteral("Source")) ||
        !readDrive(s.destinationDrive, QStringLiteral("Backup Drive not Found"),
                   QStringLiteral("backup")))
        return s;

    // A short or damaged file leaves the rest as it was.
    auto finish = [&s]() {
        if (leadingNumber(s.lastDate) == -1.0)
            s.lastDate = QStringLiteral("Never");
        return s;
    };
    for (int i = 0; i < FolderLinesBeforeDate; ++i) {
        const auto line = reader.nextRecord(2);
        if (!line)
            return finish();
        s.folderNames[i] = line->at(0);
        s.flags[i] = flagOf(line->at(1));
    }
    if (const auto line = reader.nextRecord(2))
        s.lastDate = line->at(1);
    else
        return finish();
    if (const auto line = reader.nextRecord(2)) {
        s.folderNames[4] = line->at(0);
        s.flags[4] = flagOf(line->at(1));
    } else {
        return finish();
    }
    // Files from older versions end before the network line: the flag is then clear.
    const auto network = reader.nextRecord(2);
    s.flags[BackupSettings::NetworkRow] = flagOf(network ? network->at(1) : QStringLiteral("0"));
    return finish();
}

PosSettingsFile readPosSettings(const Platform& platform, ProgramValues& values) {
    values.DataDIR = QStringLiteral("c:\\Tillora\\");
    values.RemoteDIR = QStringLiteral("c:\\Tillora\\");
    values.ShiftraDIR = QStringLiteral("c:\\shiftra\\");
    values.CompanyName = QStringLiteral("XXXXX");
    const QString native = platform.nativePath(QStringLiteral("C:\\tillora\\TlraIni.dat"));
    if (!QFileInfo::exists(native))
        return PosSettingsFile::Missing;
    const auto record = PosSettingsRecord::read(native);
    if (!record || !record->complete())
        return PosSettingsFile::Damaged;
    // Every path is built as folder & name, so a folder typed without its closing
    // backslash still has to end in one; a blank folder would make every path relative.
    if (const QString server = record->trimmed(PosSettingsRecord::ServerDirectory);
        !server.isEmpty()) {
        values.DataDIR = withTrailingBackslash(server);
        values.RemoteDIR = values.DataDIR;
    }
    if (const QString shiftra = record->trimmed(PosSettingsRecord::ShiftraDirectory);
        !shiftra.isEmpty())
        values.ShiftraDIR = withTrailingBackslash(shiftra);
    values.CompanyName = record->trimmed(PosSettingsRecord::CompanyName);
    return PosSettingsFile::Read;
}

QString damagedPosSettingsMessage() {
    return QStringLiteral("The point-of-sale settings file c:\\tillora\\TlraIni.dat is empty or "
                          "damaged; using defaults");
}

} // namespace tillora
