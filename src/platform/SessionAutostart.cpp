#include "SessionAutostart.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace tillora {

namespace {

// Characters that make an Exec argument need quotes (freedesktop desktop entry rules).
bool needsQuotes(const QString& argument) {
    static const QString reserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    if (argument.isEmpty())
        return true;
    for (QChar c : argument) {
        if (reserved.contains(c))
            return true;
    }
    return false;
}

// One Exec argument: quoted where needed, with the escapes of the Exec key inside quotes
// and "%" doubled, since a single one would start a field code.
QString execArgument(const QString& argument) {
    QString text = argument;
    text.replace(u'%', QStringLiteral("%%"));
    if (!needsQuotes(argument))
        return text;
    QString quoted;
    for (QChar c : text) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

// A value of the entry file: its own escape for the backslash on top of the Exec rules.
QString entryValue(QString value) {
    return value.replace(u'\\', QStringLiteral("\\\\"));
}

bool hasLineBreak(const QString& text) {
    return text.contains(u'\n') || text.contains(u'\r');
}

// Whether the line sets `key` to `value` (blanks around the "=" allowed).
bool lineSets(const QByteArray& line, const QByteArray& key, const QByteArray& value) {
    const QByteArray trimmed = line.trimmed();
    if (!trimmed.startsWith(key))
        return false;
    const QByteArray rest = trimmed.mid(key.size()).trimmed();
    return rest.startsWith('=') && rest.mid(1).trimmed() == value;
}

} // namespace

SessionAutostart::SessionAutostart(AutostartProgram program, QString folder)
    : program_(std::move(program))
    , folder_(std::move(folder)) {
}

QString SessionAutostart::defaultFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("autostart"));
}

QString SessionAutostart::entryPath() const {
    return QDir(folder_).filePath(program_.name + QStringLiteral(".desktop"));
}

bool SessionAutostart::isOn() const {
    QFile file(entryPath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Desktops switch an entry off in place rather than deleting it.
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (lineSets(line, "Hidden", "true") ||
            lineSets(line, "X-GNOME-Autostart-enabled", "false"))
            return false;
    }
    return true;
}

QByteArray SessionAutostart::entryText(const AutostartProgram& program) {
    for (const QString& value :
         {program.title, program.comment, program.executable, program.winePrefix}) {
        if (hasLineBreak(value))
            return {};
    }
    QString exec = execArgument(program.executable);
    if (!program.winePrefix.isEmpty()) {
        exec = QStringLiteral("env ") +
               execArgument(QStringLiteral("WINEPREFIX=") + program.winePrefix) + u' ' + exec;
    }
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=%1\n"
                                        "Comment=%2\n"
                                        "Exec=%3\n"
                                        "Icon=%4\n"
                                        "Terminal=false\n"
                                        "X-GNOME-Autostart-enabled=true\n")
                             .arg(entryValue(program.title), entryValue(program.comment),
                                  entryValue(exec), entryValue(program.name));
    return text.toUtf8();
}

AutostartChange SessionAutostart::setOn(bool on) {
    const QString path = entryPath();
    if (!on) {
        if (QFile::exists(path) && !QFile::remove(path))
            return {false, QStringLiteral("%1 cannot be deleted.").arg(path)};
        return {true, {}};
    }
    const QByteArray text = entryText(program_);
    if (text.isEmpty())
        return {false, QStringLiteral("The program's folder or the drive folder has a line break "
                                      "in its name, which an autostart entry cannot hold.")};
    if (!QDir().mkpath(folder_))
        return {false, QStringLiteral("The folder %1 cannot be created.").arg(folder_)};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return {false, QStringLiteral("%1 cannot be written: %2").arg(path, file.errorString())};
    return {true, {}};
}

} // namespace tillora
