#include "StartupShortcut.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace tillora {
namespace {

QString systemMessage(unsigned long code) {
    return qt_error_string(static_cast<int>(code)).trimmed();
}

// Releases a COM interface when it goes out of scope.
template <typename Interface> struct ComPointer {
    Interface* p = nullptr;
    ~ComPointer() {
        if (p)
            p->Release();
    }
};

// A shell link to `program`, saved at `path`; empty on success, else why not.
QString writeShellLink(const QString& path, const AutostartProgram& program) {
    // The window's thread has COM already (Qt initialises OLE there); elsewhere it is set
    // up here for this call.
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool ownsInit = SUCCEEDED(init);
    QString failure;
    {
        ComPointer<IShellLinkW> link;
        ComPointer<IPersistFile> file;
        const std::wstring target = QDir::toNativeSeparators(program.executable).toStdWString();
        const std::wstring folder =
            QDir::toNativeSeparators(QFileInfo(program.executable).absolutePath()).toStdWString();
        const std::wstring comment = program.comment.toStdWString();
        HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IShellLinkW, reinterpret_cast<void**>(&link.p));
        if (SUCCEEDED(result))
            result = link.p->SetPath(target.c_str());
        if (SUCCEEDED(result))
            result = link.p->SetWorkingDirectory(folder.c_str());
        if (SUCCEEDED(result))
            result = link.p->SetDescription(comment.c_str());
        if (SUCCEEDED(result))
            result = link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p));
        if (SUCCEEDED(result))
            result = file.p->Save(path.toStdWString().c_str(), TRUE);
        if (FAILED(result))
            failure = systemMessage(static_cast<unsigned long>(result));
    }
    if (ownsInit)
        CoUninitialize();
    return failure;
}

} // namespace

StartupShortcut::StartupShortcut(AutostartProgram program, QString folder)
    : program_(std::move(program))
    , folder_(std::move(folder)) {
}

QString StartupShortcut::defaultFolder() {
    PWSTR path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_CommonStartup, 0, nullptr, &path)))
        folder = QString::fromWCharArray(path);
    CoTaskMemFree(path);
    return folder;
}

QString StartupShortcut::path() const {
    return QDir::toNativeSeparators(
        QDir(folder_).filePath(program_.title + QStringLiteral(".lnk")));
}

bool StartupShortcut::isOn() const {
    return !folder_.isEmpty() &&
           GetFileAttributesW(path().toStdWString().c_str()) != INVALID_FILE_ATTRIBUTES;
}

AutostartChange StartupShortcut::setOn(bool on) {
    if (folder_.isEmpty())
        return {false, QStringLiteral("Windows names no all-users Startup folder.")};
    const QString shortcut = path();
    if (!on) {
        if (DeleteFileW(shortcut.toStdWString().c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND)
            return {true, {}};
        return {false, QStringLiteral("%1 cannot be deleted: %2")
                           .arg(shortcut, systemMessage(GetLastError()))};
    }
    const QString failure = writeShellLink(shortcut, program_);
    if (failure.isEmpty())
        return {true, {}};
    return {false, QStringLiteral("%1 cannot be written: %2 The all-users Startup folder can be "
                                  "changed by an administrator, or by the installer.")
                       .arg(shortcut, failure)};
}

} // namespace tillora
