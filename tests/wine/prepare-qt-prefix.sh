#!/bin/sh
# Creates the Windows tests' Wine prefix (the first start of Wine does that; it takes a
# while) and sets, in its user environment, what Wine will not pass from outside: Qt's
# offscreen platform with a font folder (Qt ships no fonts), Qt's messages on stderr
# rather than the debugger, and a temporary folder with the same path on both sides.
# Then starts linux_programs.py, which runs the Linux programs the tests start, and the
# prefix's Wine session; both stay until the tests end.
# Usage: prepare-qt-prefix.sh <wine> <prefix> <temporary folder> <linux_programs.py>
set -eu
wine=$1 prefix=$2 temp=$3 broker=$4
export WINEPREFIX="$prefix"
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver=wineserver

fonts=/usr/share/fonts/truetype/dejavu
[ -d "$fonts" ] || { echo "$fonts is missing: install fonts-dejavu-core"; exit 1; }
mkdir -p "$temp"

# A session an interrupted run left behind would never end.
"$wineserver" -k 2>/dev/null || true
mkdir -p "$prefix"
kill "$(cat "$prefix/linux-programs.pid" 2>/dev/null)" 2>/dev/null || true

# Its output closed, like the session's below, or ctest would wait for it.
address="$prefix/linux-programs.address"
rm -f "$address"
setsid python3 "$broker" "$address" "$prefix/linux-programs.pid" \
    </dev/null >"$prefix/linux-programs.log" 2>&1 &
tries=0
until [ -s "$address" ]; do
    tries=$((tries + 1))
    [ "$tries" -le 100 ] || { cat "$prefix/linux-programs.log"; exit 1; }
    sleep 0.1
done

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
set_variable() {
    "$wine" reg add 'HKCU\Environment' /v "$1" /d "$2" /f >/dev/null
}
set_variable QT_QPA_PLATFORM offscreen
set_variable QT_QPA_FONTDIR "$(windows_path "$fonts")"
set_variable QT_FORCE_STDERR_LOGGING 1
set_variable TEMP "$(windows_path "$temp")"
set_variable TMP "$(windows_path "$temp")"
set_variable TILLORA_LINUX_PROGRAMS "$(cat "$address")"
# The registry reaches the disk when the prefix's Wine session ends.
"$wineserver" -w
# One Wine session for the whole run, started here with its output closed: the server and
# the system processes a test's start began would hold that test's output open, and ctest
# would wait for them. A command prompt waiting for a line that never comes (from a FIFO
# nobody writes) keeps the session up until the tests end it with "wineserver -k".
keeper="$prefix/session-keeper"
rm -f "$keeper"
mkfifo "$keeper"
"$wine" cmd /c "set /p _=" <>"$keeper" >/dev/null 2>&1 &
# Once this returns, the session's server and system processes are up.
"$wine" cmd /c exit </dev/null >/dev/null 2>&1
echo "Wine prefix ready: $prefix"
