#include "WindowsPlatform.h"

#include "Win32Api.h"

namespace tillora {

namespace {

// Another program holds a lock on the shared files for one scan or one write only.
constexpr unsigned LockWaitMs = 3000;

// With this compiler's emulated thread-local storage, a thread that ends has that storage
// freed before the destructors of its thread_local objects run, which then read freed
// memory. Qt's one such object is the stack of its regular-expression JIT, made on every
// thread that matches a QRegularExpression (the backup's, the pool's). Its destructor
// faults inside the threads library's cleanup, which the system swallows with that
// library's lock still taken: the process then hangs as it ends. Without the JIT Qt never
// makes the object. Set before main, so before any expression is compiled; the program's
// expressions are short and matched against names and single lines.
[[maybe_unused]] const bool RegexJitOff = qputenv("QT_ENABLE_REGEXP_JIT", "0");

std::wstring wide(const QString& text) {
    return text.toStdWString();
}

QString fromWide(const std::wstring& text) {
    return QString::fromStdWString(text);
}

class MutexInstance final : public InstanceLock {
public:
    explicit MutexInstance(std::unique_ptr<win32::InstanceClaim> claim)
        : claim_(std::move(claim)) {}

private:
    std::unique_ptr<win32::InstanceClaim> claim_;
};

// The lock a claimed mutex gives; nothing while another process holds it. When the system
// could not tell (no mutex could be made), the program goes on rather than refusing on a
// doubt.
std::unique_ptr<InstanceLock> lockOf(win32::InstanceOutcome outcome) {
    if (outcome.result == win32::ClaimResult::HeldElsewhere)
        return nullptr;
    return std::make_unique<MutexInstance>(
        outcome.result == win32::ClaimResult::Claimed ? std::move(outcome.claim) : nullptr);
}

class AwakeHold final : public SystemHold {
public:
    AwakeHold() { win32::keepAwake(true); }
    ~AwakeHold() override { win32::keepAwake(false); }
};

} // namespace

QString WindowsPlatform::nativePath(const QString& windowsPath) const {
    return windowsPath;
}

QStringList WindowsPlatform::drives() const {
    QStringList texts;
    for (const std::wstring& text : win32::driveTexts())
        texts.append(fromWide(text));
    return texts;
}

std::optional<DiskSpace> WindowsPlatform::diskSpace(const QString& windowsPath) const {
    const auto space = win32::diskSpace(wide(windowsPath));
    if (!space)
        return std::nullopt;
    return DiskSpace{space->callerFree, space->total, space->free};
}

ProfileFolders WindowsPlatform::profileFolders() const {
    const win32::ProfileFolders folders = win32::profileFolders();
    return {fromWide(folders.allUsers), fromWide(folders.defaultUser),
            fromWide(folders.profilesRoot), fromWide(folders.currentUser)};
}

bool WindowsPlatform::startDetached(const Command& command) {
    std::vector<std::wstring> arguments;
    for (const QString& argument : command.arguments)
        arguments.push_back(wide(argument));
    const std::wstring program = wide(command.program);
    return win32::startDetached(program, arguments, win32::windowModeFor(program));
}

Command WindowsPlatform::remapCommand(const QString& letter, const QString& share) const {
    // Each part is its own argument: a share with blanks or quotes stays one argument,
    // and no command interpreter ever sees it.
    Command command{QStringLiteral("net"), {}};
    for (const std::wstring& argument : win32::netUseArguments(wide(letter), wide(share)))
        command.arguments.append(fromWide(argument));
    return command;
}

Command WindowsPlatform::editorCommand(const QString& nativeFile) const {
    return {fromWide(win32::EditorProgram), {nativeFile}};
}

QStringList WindowsPlatform::printerNames() const {
    QStringList names;
    if (const auto printers = win32::printerNames())
        for (const std::wstring& name : *printers)
            names.append(fromWide(name));
    return names;
}

QString WindowsPlatform::instanceSocketName(const QString& programName) const {
    // A named pipe is machine-wide: the user's name keeps one user's copy to itself.
    return programName + u'-' + qEnvironmentVariable("USERNAME");
}

std::unique_ptr<InstanceLock> WindowsPlatform::claimSingleInstance(const QString& programName) {
    return lockOf(win32::claimInstance(wide(programName)));
}

std::unique_ptr<InstanceLock> WindowsPlatform::claimMachineWide(const QString& name) {
    return lockOf(win32::claimMachineWide(wide(name)));
}

std::unique_ptr<SystemHold> WindowsPlatform::keepAwake() {
    return std::make_unique<AwakeHold>();
}

std::optional<quint32> WindowsPlatform::volumeSerial(const QString& drive) const {
    if (const auto serial = win32::volumeSerial(wide(drive)))
        return quint32(*serial);
    return std::nullopt;
}

bool WindowsPlatform::lockWholeFile(QFile& file) {
    // On Windows QFile::handle() is a C runtime descriptor over the file's own handle.
    return win32::lockWholeFile(file.handle(), LockWaitMs);
}

void WindowsPlatform::unlockWholeFile(QFile& file) {
    win32::unlockWholeFile(file.handle());
}

bool WindowsPlatform::flushFile(QFile& openFile) {
    // As with the locks, QFile::handle() is a C runtime descriptor here.
    return win32::flushFile(openFile.handle());
}

bool WindowsPlatform::flushFileSystem(const QString& windowsPath) {
    // Every written file was flushed before its rename (flushFile); flushing a whole
    // volume would need administrator rights.
    Q_UNUSED(windowsPath);
    return true;
}

QString WindowsPlatform::whyNotReplaceable(const std::filesystem::path& nativePath) const {
    const unsigned long error = win32::exclusiveOpenError(nativePath.wstring());
    if (error == 0)
        return {};
    if (win32::isSharingViolation(error))
        return QStringLiteral("another program has it open");
    return QStringLiteral("it cannot be opened for writing: ") +
           QString::fromStdWString(win32::errorMessage(error));
}

ReadBackEnd WindowsPlatform::readBack(const std::filesystem::path& nativePath,
                                      const std::function<bool(const char*, qint64)>& take) {
    const win32::UncachedRead read = win32::readUncached(
        nativePath.wstring(), std::size_t(ReadBackChunkBytes),
        [&take](const char* bytes, std::size_t size) { return take(bytes, qint64(size)); });
    switch (read.end) {
    case win32::UncachedRead::End::Read:
        return {};
    case win32::UncachedRead::End::Stopped:
        return {ReadBackEnd::Kind::Stopped, {}};
    case win32::UncachedRead::End::Failed:
        break;
    }
    return {ReadBackEnd::Kind::Failed, QString::fromStdWString(win32::errorMessage(read.error))};
}

std::unique_ptr<Platform> createPlatform(const QString& driveFolder) {
    Q_UNUSED(driveFolder); // drive letters are the system's own here
    return std::make_unique<WindowsPlatform>();
}

} // namespace tillora
