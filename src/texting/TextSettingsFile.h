#pragma once

#include "FileSave.h"
#include "SmtpClient.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace tillora {

class Platform;
struct ProgramValues;

// The texter window's settings as "MobileText.dat" holds them: 15 quoted lines. The
// account's password is not kept there (the data folder goes to the backup drive every
// night, usually a drive that keeps no permissions): line 13 stays empty and the password
// lives in the user's secret store.
struct TextSettings {
    bool featureOn = true;        // Check1; the file exists only while it is ticked
    QString mobileNumber;         // Text1, as typed
    QString carrierName;          // Text2
    QString firstReportTime;      // Combo1
    QString lastReportTime;       // Combo2
    bool salesReport = false;     // Check2
    bool discountReport = false;  // Check3
    bool hoursDiscounts = false;  // Check4, kept only
    bool clockedInReport = false; // Check5
    QString gatewayTemplate;      // Text3
    QString senderAccount;        // Text5
    QString senderPassword;       // Text6
};

// What a file gave: each value is absent when the file ends before it, so a short file
// leaves the window's own values in place. The account and password are absent too
// when line 12 is "FUTURE" or blank.
struct LoadedTextSettings {
    std::optional<bool> featureOn;
    std::optional<QString> mobileNumber, carrierName, firstReportTime, lastReportTime;
    std::optional<bool> salesReport, discountReport, hoursDiscounts, clockedInReport;
    std::optional<QString> gatewayTemplate, senderAccount, senderPassword;
};

QString textSettingsPath(const ProgramValues& values);
bool textSettingsFileExists(const Platform& platform, const ProgramValues& values);

// The file's bytes; `savedAt` is the time stamp of line 10.
QByteArray formatTextSettings(const TextSettings& settings, const QDateTime& savedAt);
LoadedTextSettings parseTextSettings(const QByteArray& bytes);

// Nothing when the file is missing or unreadable; the password from the secret store.
std::optional<LoadedTextSettings> loadTextSettings(const Platform& platform,
                                                   const ProgramValues& values);
// The same for the bytes of a file read elsewhere (a last good copy).
LoadedTextSettings withStoredPassword(const Platform& platform, LoadedTextSettings loaded);
// The password to the secret store, then the file, atomically and readable by its owner
// only, with line 13 empty.
SaveResult saveTextSettings(const Platform& platform, const ProgramValues& values,
                            const TextSettings& settings, const QDateTime& savedAt);
// Turns the feature off, its stored password with it; true when no file is left.
bool removeTextSettings(const Platform& platform, const ProgramValues& values);
// A file that still holds a password: it goes to the secret store and its line is emptied,
// the rest of the file kept byte for byte. Nothing when there was none to move.
std::optional<SaveResult> moveMailPasswordToSecrets(const Platform& platform,
                                                    const ProgramValues& values);

// The sending account of lines 12 and 13; empty when the file has none.
MailAccount storedSenderAccount(const Platform& platform, const ProgramValues& values);

// The colour value of the main window's "Settings" button: green while the feature is on.
unsigned int settingsButtonColour(bool textSettingsFileExists);

} // namespace tillora
