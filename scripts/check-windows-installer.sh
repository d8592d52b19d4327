#!/usr/bin/env bash
# Checks the Windows installer under Wine, in a fresh prefix of its own under a temporary
# folder, with a store's c:\Tillora and a user's settings folder in place:
#   - a silent install (/S) puts exactly the packaged files into Program Files, the
#     Start-menu shortcuts, the Startup shortcut and the uninstall key with its values,
#     and no Run value;
#   - a silent install over a running program ends it through its own request and starts
#     it again; while a program's file is held (another user's copy) it refuses with exit
#     code 2 and changes nothing;
#   - a second install over the first keeps start at logon as the owner left it;
#   - the silent uninstaller removes the files, shortcuts and key;
#   - the store's files and the user's settings are never touched.
# Usage: check-windows-installer.sh [setup.exe]   (default: the newest in the top folder)
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "check-windows-installer: FAILED: $*" >&2
    exit 1
}

for tool in wine wineboot wineserver; do
    command -v "$tool" >/dev/null || fail "$tool is missing: run scripts/install-deps.sh windows"
done
setup=${1:-$(ls -t tillora-auto-backup-*-setup.exe 2>/dev/null | head -n 1)}
[[ -n "$setup" && -f "$setup" ]] || fail "no installer: make one with scripts/package-windows.sh"
setup=$(realpath "$setup")
version=$(basename "$setup" | sed -E 's/^tillora-auto-backup-(.*)-setup\.exe$/\1/')
stage=build/windows-installer/stage
[[ -d "$stage" ]] || fail "no $stage: the file list comes from scripts/package-windows.sh"

tmp=$(mktemp -d)
export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
program_pid=""
cleanup() {
    [[ -z "$program_pid" ]] || kill "$program_pid" 2>/dev/null || true
    timeout 30 wineserver -k 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

# Waits for every process of the prefix to end: an NSIS uninstaller runs on as a copy of
# itself after the first process has ended.
settle() { timeout 120 wineserver -w || fail "Wine still busy after 120 s ($1)"; }

echo "check-windows-installer: a fresh Wine prefix"
timeout 300 wineboot -i >/dev/null 2>&1 || fail "wineboot -i did not make the prefix"
settle "making the prefix"

drive_c=$WINEPREFIX/drive_c
mkdir -p "$drive_c/Tillora/ini" "$drive_c/Tillora/data"
printf '[Backup]\r\nKeepVersionsDays=14\r\n' >"$drive_c/Tillora/ini/BackupOptions.ini"
printf 'sales of the day\r\n' >"$drive_c/Tillora/data/TENDER.DAT"
settings=$drive_c/users/$(id -un)/AppData/Local/tillora-backup
mkdir -p "$settings"
printf '[Offsite]\r\nPassword=kept\r\n' >"$settings/secrets.ini"
untouched() {
    (cd "$drive_c" && find Tillora "${settings#"$drive_c"/}" -printf '%p %s %T@\n' | sort &&
        find Tillora "${settings#"$drive_c"/}" -type f -exec sha256sum {} + | sort)
}
before=$(untouched)

app="$drive_c/Program Files/Tillora Auto Backup"
menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TilloraAutoBackup'
install() { timeout 300 wine "$setup" /S; }
reg_value() {
    timeout 60 wine reg query "$key" /v "$1" /reg:64 2>/dev/null | tr -d '\r' |
        sed -nE "s/^ +$1 +REG_[A-Z_]+ +//p"
}
shortcut_to() { # a shortcut file that leads to the program
    [[ -f "$1" ]] || fail "no shortcut $1"
    strings -a -e l "$1" | grep -qi "$2" || strings -a "$1" | grep -qi "$2" ||
        fail "$1 does not lead to $2"
}

echo "check-windows-installer: silent install"
install || fail "the silent install ended with exit code $?"
settle "installing"
expected=$( (cd "$stage" && find . -type f && echo ./uninstall.exe) | sort)
actual=$( (cd "$app" && find . -type f) | sort)
[[ "$actual" == "$expected" ]] ||
    fail "the install folder differs from the package: $(diff <(echo "$expected") <(echo "$actual") | grep '^[<>]' | head -n 5 | tr '\n' ' ')"
shortcut_to "$menu/Tillora/Tillora Auto Backup.lnk" tillora-backup.exe
shortcut_to "$menu/Tillora/Tillora Kitchen Printer 2.lnk" tillora-kp2.exe
shortcut_to "$menu/StartUp/Tillora Auto Backup.lnk" tillora-backup.exe
[[ "$(reg_value DisplayName)" == "Tillora Auto Backup" ]] || fail "DisplayName is not \"Tillora Auto Backup\""
[[ "$(reg_value DisplayVersion)" == "$version" ]] || fail "DisplayVersion is not $version"
[[ -n "$(reg_value Publisher)" ]] || fail "no Publisher"
[[ "$(reg_value DisplayIcon)" == *'\tillora-backup.exe,0' ]] || fail "DisplayIcon is not the program's icon"
[[ "$(reg_value UninstallString)" == *'\uninstall.exe"' ]] || fail "UninstallString is not the uninstaller"
[[ "$(reg_value QuietUninstallString)" == *'\uninstall.exe" /S' ]] || fail "QuietUninstallString lacks /S"
size=$(reg_value EstimatedSize)
((size > 10000)) || fail "EstimatedSize is $size KB, less than the programs take"
if timeout 60 wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /reg:64 2>/dev/null |
    grep -qi tillora; then
    fail "the install wrote a Run value beside the Startup shortcut"
fi

[[ "$(untouched)" == "$before" ]] || fail "the install changed the store's files or the user's settings"

echo "check-windows-installer: a silent install ends a running program and starts it again"
# Offscreen, with the plugin from the build's cache: the install ships only the windows
# one, which needs a display.
plugins=$(winepath -w "$(scripts/windeps-folder.sh)/plugins/platforms")
wine "$app/tillora-kp2.exe" -platformpluginpath "$plugins" -platform offscreen >/dev/null 2>&1 &
program_pid=$!
# Running once its DLLs are loaded (Wine's tasklist lists nothing).
loaded() { grep -qi 'Qt6Widgets.dll' "/proc/$1/maps" 2>/dev/null; }
for _ in $(seq 60); do
    loaded "$program_pid" && break
    sleep 1
done
loaded "$program_pid" || fail "tillora-kp2.exe did not start within 60 s"
install || fail "a silent install over a running tillora-kp2.exe ended with exit code $?"
for _ in $(seq 30); do
    loaded "$program_pid" || break
    sleep 1
done
! loaded "$program_pid" || fail "the install did not end the running tillora-kp2.exe"
wait "$program_pid" 2>/dev/null || true
# The copy started again, through Explorer: a process of its own running the program.
started_again() {
    for proc in /proc/[0-9]*; do
        { tr '\0' ' ' <"$proc/cmdline"; } 2>/dev/null | grep -qi 'tillora-kp2\.exe' &&
            loaded "${proc#/proc/}" && echo "${proc#/proc/}" && return 0
    done
    return 1
}
program_pid=""
for _ in $(seq 60); do
    program_pid=$(started_again) && break
    sleep 1
done
[[ -n "$program_pid" ]] || fail "the install did not start tillora-kp2.exe again"
# Its windows platform has no display here: it is only ended.
kill "$program_pid"
program_pid=""
settle "ending tillora-kp2.exe"
# The printer program saves its schedule as it ends, as at its "End".
before=$(untouched)

echo "check-windows-installer: an install while a program's file is held"
# What another user's copy does, which this session's request cannot reach.
printf '%s\n' '#include <windows.h>' '#include <stdio.h>' \
    'int wmain(int c, wchar_t** v) { HANDLE h = CreateFileW(v[1], GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);' \
    '  if (h == INVALID_HANDLE_VALUE) return 1; puts("held"); fflush(stdout); Sleep(INFINITE); return 0; }' \
    >"$tmp/holder.c"
x86_64-w64-mingw32-gcc-posix -municode -o "$tmp/holder.exe" "$tmp/holder.c" ||
    fail "the file holder did not compile"
wine "$tmp/holder.exe" "$(winepath -w "$app/tillora-kp2.exe")" >"$tmp/held" 2>/dev/null &
program_pid=$!
for _ in $(seq 60); do
    grep -qs held "$tmp/held" && break
    sleep 1
done
grep -qs held "$tmp/held" || fail "the file holder did not start within 60 s"
status=0
install || status=$?
((status == 2)) || fail "an install over a held tillora-kp2.exe ended with exit code $status, not 2"
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=""
settle "ending the file holder"

echo "check-windows-installer: a second install, start at logon switched off before"
rm "$menu/StartUp/Tillora Auto Backup.lnk"
install || fail "the second install ended with exit code $?"
settle "installing again"
[[ ! -e "$menu/StartUp/Tillora Auto Backup.lnk" ]] || fail "the second install put the Startup shortcut back"
shortcut_to "$menu/Tillora/Tillora Auto Backup.lnk" tillora-backup.exe

echo "check-windows-installer: silent uninstall"
timeout 120 wine "$app/uninstall.exe" /S || fail "the uninstaller ended with exit code $?"
settle "uninstalling"
[[ ! -e "$app" ]] || fail "the install folder is still there: $(cd "$app" && find . | head -n 5 | tr '\n' ' ')"
[[ ! -e "$menu/Tillora" ]] || fail "the Start-menu folder Tillora is still there"
[[ -z "$(reg_value DisplayName)" ]] || fail "the uninstall key is still there"

[[ "$(untouched)" == "$before" ]] || fail "the store's files or the user's settings changed"
echo "check-windows-installer: all checks passed ($(basename "$setup"))"
