#!/bin/sh
# Creates the tests' Wine prefix (the first start of Wine does that; it takes a while)
# and gives it a drive t: with a volume label and serial number, which Wine keeps in the
# folder's ".windows-label" and ".windows-serial" (hexadecimal) files. Wine reads them
# when its session starts, so the session that created the prefix is let to end first.
# Usage: prepare-prefix.sh <wine> <prefix> <label folder> <label> <serial>
set -eu
wine=$1 prefix=$2 folder=$3 label=$4 serial=$5
export WINEPREFIX="$prefix"
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver=wineserver

"$wine" cmd.exe /c exit >/dev/null 2>&1 || true
test -d "$prefix/dosdevices" || { echo "Wine did not create its prefix in $prefix"; exit 1; }
mkdir -p "$folder"
printf '%s\n' "$label" >"$folder/.windows-label"
printf '%s\n' "$serial" >"$folder/.windows-serial"
# Also in a prefix made before: the session reads the files anew only when it starts.
"$wineserver" -w
ln -sfn "$folder" "$prefix/dosdevices/t:"
echo "Wine prefix ready: $prefix"
