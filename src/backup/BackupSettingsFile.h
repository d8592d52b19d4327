#pragma once

#include "Platform.h"
#include "ProgramValues.h"
#include "Prompts.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>
#include <optional>

namespace tillora {

// The backup settings as the main window shows them. Flags are -1 (ticked) or 0.
struct BackupSettings {
    static constexpr int FolderCount = 5;
    static constexpr int NetworkRow = 5;

    QString startTime = QStringLiteral("3:00 am");
    QString sourceDrive = QStringLiteral("c:");
    QString destinationDrive = QStringLiteral("c:");
    std::array<QString, FolderCount> folderNames = defaultFolderNames();
    // Rows 0 to 4 enable the source folders, row 5 marks a network destination.
    std::array<int, 6> flags = {-1, -1, -1, -1, 0, 0};
    QString lastDate = QStringLiteral("Never");

    static std::array<QString, FolderCount> defaultFolderNames();
    static QString networkRowText() { return QStringLiteral("Backup to is a Network Drive"); }

    bool operator==(const BackupSettings&) const = default;
};

// "Autobackup.dat" under the data folder: ten lines of two values each, read strictly by
// line position. The file written at first start holds its flags quoted ("-1"), a saved
// file bare (-1); both read the same.
class BackupSettingsFile {
public:
    BackupSettingsFile(Platform& platform, Prompts& prompts, ProgramValues& values);

    // DataDIR & "ini\Autobackup.dat", in its Windows form.
    QString path() const;

    // Reads the file into a copy of `current`: writes the default file first when it is
    // missing, and leaves values the file does not reach as they were. A drive that is not
    // connected keeps its saved value, with a message: the settings are the owner's, and
    // the drive may come back. The start-up messages only inform, so none of them blocks.
    // How a save that failed is told: `tell` gets the title and text; without it, a
    // message box. Told once until a later save succeeds.
    using FailureNotice = std::function<void(const QString& title, const QString& text)>;

    // `tell` hears when the default file cannot be written.
    BackupSettings load(const BackupSettings& current, const FailureNotice& tell = {});

    // Rewrites the file atomically, creating the "ini" folder when needed.
    bool save(const BackupSettings& settings, const FailureNotice& tell = {});

    static QByteArray savedBytes(const BackupSettings& settings);
    static QByteArray defaultBytes(const BackupSettings& current);

    // A folder name the file cannot hold (it would not read back as one value), with the
    // reason to show; nothing when the name is fine.
    static std::optional<QString> folderNameProblem(const QString& name);

    // The drive selector text for a stored drive value ("e:\", "e: [BACKUP]"): the entry of
    // the platform's drive list with that letter, when its root can be listed.
    static std::optional<QString> selectableDrive(const Platform& platform, const QString& value);

private:
    bool write(const QByteArray& bytes, const FailureNotice& tell = {});
    bool dataDriveReachable();
    void inform(const QString& title, const QString& text);

    Platform& platform_;
    Prompts& prompts_;
    ProgramValues& values_;
    bool failureReported_ = false;
};

enum class PosSettingsFile { Read, Missing, Damaged };

// Sets DataDIR, RemoteDIR, ShiftraDIR and CompanyName from "C:\tillora\TlraIni.dat", or
// the defaults when that file is missing, empty, cut short or unreadable (Damaged: the
// operator is to be told). A blank folder field leaves that folder at its default.
PosSettingsFile readPosSettings(const Platform& platform, ProgramValues& values);
// What the operator is told at start-up about a damaged settings file.
QString damagedPosSettingsMessage();

} // namespace tillora
