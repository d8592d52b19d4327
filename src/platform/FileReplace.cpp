#include "FileReplace.h"

#include <QFile>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <cstring>
#endif

namespace tillora {

bool replaceFile(const QString& nativeFrom, const QString& nativeTo, QString* reason) {
#ifdef _WIN32
    const auto from = reinterpret_cast<const wchar_t*>(nativeFrom.utf16());
    const auto to = reinterpret_cast<const wchar_t*>(nativeTo.utf16());
    if (MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING))
        return true;
    if (reason)
        *reason = QStringLiteral("Windows error %1").arg(GetLastError());
    return false;
#else
    if (::rename(QFile::encodeName(nativeFrom).constData(),
                 QFile::encodeName(nativeTo).constData()) == 0)
        return true;
    if (reason)
        *reason = QString::fromLocal8Bit(std::strerror(errno));
    return false;
#endif
}

} // namespace tillora
