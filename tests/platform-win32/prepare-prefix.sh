#!/bin/sh
# Creates the tests' Wine prefix (the first start of Wine does that; it takes a while)
# and gives it a drive t: with a volume label, which Wine keeps in the folder's
# ".windows-label" file, and drives with volume serial numbers (".windows-serial", in
# hexadecimal). Wine reads drive labels when its session starts, so the session that
# created the prefix is let to end before the drives are added.
# Usage: prepare-prefix.sh <wine> <prefix> <label folder> <label> [<letter>:=<serial>...]
set -eu
wine=$1 prefix=$2 folder=$3 label=$4
shift 4
export WINEPREFIX="$prefix"
wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver=wineserver

"$wine" cmd.exe /c exit >/dev/null 2>&1 || true
test -d "$prefix/dosdevices" || { echo "Wine did not create its prefix in $prefix"; exit 1; }
mkdir -p "$folder"
printf '%s\n' "$label" >"$folder/.windows-label"
links="t:=$folder"
for drive in "$@"; do
    letter=${drive%%=*} serial=${drive#*=}
    mkdir -p "$folder-$serial"
    printf '%s\n' "$serial" >"$folder-$serial/.windows-serial"
    links="$links $letter=$folder-$serial"
done
"$wineserver" -w
for link in $links; do
    ln -sfn "${link#*=}" "$prefix/dosdevices/${link%%=*}"
done
echo "Wine prefix ready: $prefix"
