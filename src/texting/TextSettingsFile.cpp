#include "TextSettingsFile.h"

#include "CodePage.h"
#include "Colors.h"
#include "DataFiles.h"
#include "DatePictures.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "QuotedCsv.h"
#include "SecretStore.h"

#include <QFile>
#include <QStringList>

namespace tillora {

namespace {

constexpr auto OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr int PasswordLine = 13;
const QString PasswordKey = QStringLiteral("Mail/Password");

SecretStore secretsOf(const Platform& platform) {
    return SecretStore(platform.userSettingsFolder());
}

QString checkText(bool ticked) {
    return ticked ? QStringLiteral("1") : QStringLiteral("0");
}

bool ticked(const QString& value) {
    return leadingNumber(value) != 0;
}

// One value per line: the text between the first and the last quote, so a quote or a
// comma typed into a value (a password) reads back as it was written.
QStringList lineValues(const QByteArray& bytes) {
    QString text = fromCodePage(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QStringList values;
    for (const QString& line : lines) {
        const qsizetype open = line.indexOf(u'"');
        const qsizetype close = line.lastIndexOf(u'"');
        if (open >= 0 && close > open)
            values.append(line.mid(open + 1, close - open - 1));
        else
            values.append(line.trimmed());
    }
    return values;
}

} // namespace

QString textSettingsPath(const ProgramValues& values) {
    return DataFiles::path(values.DataDIR, DataFile::MobileText);
}

bool textSettingsFileExists(const Platform& platform, const ProgramValues& values) {
    return QFile::exists(platform.nativePath(textSettingsPath(values)));
}

QByteArray formatTextSettings(const TextSettings& s, const QDateTime& savedAt) {
    const QLocale locale;
    const QString stamp = formatPicture(savedAt, Picture::NumericDate, locale) +
                          QStringLiteral(" at ") + formatPicture(savedAt, Picture::Time12, locale);
    QuotedLineWriter writer;
    for (const QString& value :
         {checkText(s.featureOn), s.mobileNumber, s.carrierName, s.firstReportTime,
          s.lastReportTime, checkText(s.salesReport), checkText(s.discountReport),
          checkText(s.hoursDiscounts), checkText(s.clockedInReport), stamp, s.gatewayTemplate,
          s.senderAccount, s.senderPassword, QStringLiteral("FUTURE"),
          QStringLiteral("Data file for Text Messege")})
        writer.textLine({value});
    return writer.bytes();
}

LoadedTextSettings parseTextSettings(const QByteArray& bytes) {
    const QStringList values = lineValues(bytes);
    auto text = [&](int line) -> std::optional<QString> {
        if (line > values.size())
            return std::nullopt;
        return values.at(line - 1);
    };
    auto check = [&](int line) -> std::optional<bool> {
        if (const auto value = text(line))
            return ticked(*value);
        return std::nullopt;
    };
    LoadedTextSettings loaded;
    loaded.featureOn = check(1);
    loaded.mobileNumber = text(2);
    loaded.carrierName = text(3);
    loaded.firstReportTime = text(4);
    loaded.lastReportTime = text(5);
    loaded.salesReport = check(6);
    loaded.discountReport = check(7);
    loaded.hoursDiscounts = check(8);
    loaded.clockedInReport = check(9);
    loaded.gatewayTemplate = text(11);
    const auto account = text(12);
    if (account && *account != QLatin1String("FUTURE")) {
        if (!account->trimmed().isEmpty())
            loaded.senderAccount = account;
        if (const auto password = text(13); password && !password->trimmed().isEmpty())
            loaded.senderPassword = password;
    }
    return loaded;
}

LoadedTextSettings withStoredPassword(const Platform& platform, LoadedTextSettings loaded) {
    if (loaded.senderAccount && !loaded.senderPassword) {
        if (const QString stored = secretsOf(platform).value(PasswordKey); !stored.isEmpty())
            loaded.senderPassword = stored;
    }
    return loaded;
}

std::optional<LoadedTextSettings> loadTextSettings(const Platform& platform,
                                                   const ProgramValues& values) {
    const auto bytes = readWholeFile(platform.nativePath(textSettingsPath(values)));
    if (!bytes)
        return std::nullopt;
    return withStoredPassword(platform, parseTextSettings(*bytes));
}

SaveResult saveTextSettings(const Platform& platform, const ProgramValues& values,
                            const TextSettings& settings, const QDateTime& savedAt) {
    if (const SaveResult kept = secretsOf(platform).setValue(PasswordKey, settings.senderPassword);
        !kept)
        return kept;
    TextSettings onDisk = settings;
    onDisk.senderPassword.clear();
    return saveFileAtomically(platform.nativePath(textSettingsPath(values)),
                              formatTextSettings(onDisk, savedAt), OwnerOnly);
}

bool removeTextSettings(const Platform& platform, const ProgramValues& values) {
    const QString path = platform.nativePath(textSettingsPath(values));
    const bool gone = !QFile::exists(path) || QFile::remove(path);
    if (gone)
        (void)secretsOf(platform).setValue(PasswordKey, {});
    return gone;
}

std::optional<SaveResult> moveMailPasswordToSecrets(const Platform& platform,
                                                    const ProgramValues& values) {
    const QString path = platform.nativePath(textSettingsPath(values));
    const auto bytes = readWholeFile(path);
    if (!bytes)
        return std::nullopt;
    const auto password = parseTextSettings(*bytes).senderPassword;
    if (!password)
        return std::nullopt;
    if (const SaveResult kept = secretsOf(platform).setValue(PasswordKey, *password); !kept)
        return kept;
    // Only the password's line changes, its line end kept.
    const char end = bytes->contains('\n') ? '\n' : '\r';
    QList<QByteArray> lines = bytes->split(end);
    if (lines.size() < PasswordLine)
        return SaveResult{false, QStringLiteral("the file's lines end in more than one way")};
    QByteArray& line = lines[PasswordLine - 1];
    line = line.endsWith('\r') ? QByteArray("\"\"\r") : QByteArray("\"\"");
    return saveFileAtomically(path, lines.join(end), OwnerOnly);
}

MailAccount storedSenderAccount(const Platform& platform, const ProgramValues& values) {
    const auto loaded = loadTextSettings(platform, values);
    if (!loaded)
        return {};
    return {loaded->senderAccount.value_or(QString()), loaded->senderPassword.value_or(QString())};
}

unsigned int settingsButtonColour(bool textSettingsFileExists) {
    return textSettingsFileExists ? colour::Green : colour::Red;
}

} // namespace tillora
