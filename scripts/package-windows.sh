#!/usr/bin/env bash
# Builds the Windows installer tillora-auto-backup-<version>-setup.exe into the top folder
# of the repository with NSIS (packaging/windows/installer.nsi), from the build tree of
# `cmake --preset windows`: only the two programs are brought up to date (nothing when
# scripts/test-windows.sh has just built everything). It ships the programs, the Qt and
# libcurl DLLs and the compiler's runtime DLLs from the Windows dependencies' cache
# (scripts/build-windows-deps.sh fills it), the Qt plugins the programs load and the
# licences, and fails when a shipped file imports a DLL that is neither shipped nor part
# of Windows: a missing DLL would stop the program at logon with a system message box.
# Check the installer with scripts/check-windows-installer.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "package-windows: $*" >&2
    exit 1
}

scripts/install-deps.sh windows
command -v makensis >/dev/null ||
    fail "makensis is missing: install NSIS with scripts/install-deps.sh windows (or apt-get install nsis)"
for tool in x86_64-w64-mingw32-objdump x86_64-w64-mingw32-strip icotool; do
    command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/install-deps.sh windows"
done

windeps=$(scripts/windeps-folder.sh)
[[ -f "$windeps/windeps.stamp" ]] ||
    fail "no Qt and libcurl for Windows in $windeps: run scripts/build-windows-deps.sh first"

cmake --preset windows -DTILLORA_WINDEPS="$windeps" >/dev/null
cmake --build build/windows --target tillora-backup tillora-kp2

version=$(sed -nE 's/^project\([A-Za-z]+ VERSION ([0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
[[ -n "$version" ]] || fail "no VERSION in the project() line of CMakeLists.txt"

# What goes into the install folder, as it will lie there.
work=build/windows-installer
stage=$work/stage
rm -rf "$work"
mkdir -p "$stage/platforms" "$stage/styles" "$stage/imageformats"
cp build/windows/tillora-backup.exe build/windows/tillora-kp2.exe "$stage/"
# The programs link the compiler's runtime as DLLs, as Qt does (cmake/mingw-w64.cmake).
for dll in Qt6Core Qt6Gui Qt6Widgets Qt6Network Qt6PrintSupport libcurl \
    libstdc++-6 libgcc_s_seh-1 libwinpthread-1; do
    cp "$windeps/bin/$dll.dll" "$stage/"
done
# The window system, the native look of the widgets, and the .ico reader.
cp "$windeps/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$windeps/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
cp "$windeps/plugins/imageformats/qico.dll" "$stage/imageformats/"
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +

# Licences, with line ends Notepad shows on every Windows version.
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }
stamp_value() { sed -n "s/^$1 //p" "$windeps/windeps.stamp"; }
qt_version=$(stamp_value qt6-base)
curl_version=$(stamp_value curl)
compiler_package=$(stamp_value package | grep '^g++-mingw-w64' || true)
[[ -n "$qt_version" && -n "$curl_version" ]] ||
    fail "$windeps/windeps.stamp names no qt6-base or curl version"
crlf LICENSE "$stage/LICENSE.txt"
crlf /usr/share/common-licenses/LGPL-3 "$stage/LGPL-3.txt"
crlf /usr/share/common-licenses/GPL-3 "$stage/GPL-3.txt"
sed -e "s|@QT_VERSION@|$qt_version|g; s|@QT_VERSION_URL@|${qt_version//+/%2B}|g" \
    -e "s|@CURL_VERSION@|$curl_version|g; s|@CURL_VERSION_URL@|${curl_version//+/%2B}|g" \
    -e "s|@COMPILER_PACKAGE@|${compiler_package:-g++-mingw-w64-x86-64-posix}|g" \
    packaging/windows/THIRD-PARTY.txt.in >"$work/THIRD-PARTY.txt"
crlf "$work/THIRD-PARTY.txt" "$stage/THIRD-PARTY.txt"

# Every import of a shipped file must be a DLL in the install folder (where Windows looks
# first, for the plugins' imports too) or one of Windows' own.
windows_dlls=$(echo " advapi32.dll authz.dll bcrypt.dll comdlg32.dll crypt32.dll d3d9.dll d3d11.dll
    dwmapi.dll dwrite.dll dxgi.dll gdi32.dll imm32.dll iphlpapi.dll kernel32.dll mpr.dll
    msvcrt.dll netapi32.dll normaliz.dll ole32.dll oleaut32.dll secur32.dll setupapi.dll
    shcore.dll shell32.dll shlwapi.dll user32.dll userenv.dll uxtheme.dll version.dll
    winmm.dll winspool.drv ws2_32.dll wtsapi32.dll " | tr -s '[:space:]' ' ')
shipped=" $(find "$stage" -maxdepth 1 -name '*.dll' -printf '%f\n' | tr '[:upper:]' '[:lower:]' | tr '\n' ' ') "
unresolved=()
while IFS= read -r file; do
    imports=$(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
    [[ -n "$imports" ]] || fail "${file#"$stage"/} has no import table objdump can read"
    for dll in $(tr '[:upper:]' '[:lower:]' <<<"$imports"); do
        [[ "$shipped" == *" $dll "* || "$windows_dlls" == *" $dll "* || "$dll" == api-ms-win-* ]] ||
            unresolved+=("${file#"$stage"/} imports $dll")
    done
done < <(find "$stage" \( -name '*.exe' -o -name '*.dll' \) | sort)
if ((${#unresolved[@]})); then
    printf 'package-windows: %s, which is neither shipped nor part of Windows\n' "${unresolved[@]}" >&2
    exit 1
fi

# The uninstaller removes exactly these files and then their folders, deepest first
# ($INSTDIR is NSIS's, not the shell's).
# shellcheck disable=SC2016
{
    (cd "$stage" && find . -type f | sort) | while IFS= read -r f; do
        f=${f#./}
        printf 'Delete "$INSTDIR\\%s"\n' "${f//\//\\}"
    done
    (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while IFS= read -r d; do
        d=${d#./}
        printf 'RMDir "$INSTDIR\\%s"\n' "${d//\//\\}"
    done
} >"$work/uninstall-files.nsh"

setup=tillora-auto-backup-$version-setup.exe
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$PWD/$stage" \
    -DFILELIST="$PWD/$work/uninstall-files.nsh" -DOUTFILE="$PWD/$setup" \
    packaging/windows/installer.nsi
echo "$PWD/$setup"
