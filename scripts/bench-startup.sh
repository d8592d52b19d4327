#!/usr/bin/env bash
# Start-up benchmark of tillora-backup (not a test): the median of 5 times from process
# start to resident (settings present, same backup drive as before, so no drive
# information pause), the resident memory after start-up, and the CPU time used while
# idle. Usage: scripts/bench-startup.sh [binary]; IDLE_SECONDS (default 300) sets the
# idle period, QT_QPA_PLATFORM (default offscreen) the display.
set -euo pipefail
cd "$(dirname "$0")/.."

binary=${1:-build/default/src/app/tillora-backup}
idle=${IDLE_SECONDS:-300}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
[[ -x "$binary" ]] || { echo "no program at $binary: build it first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
demo/make-demo-store.sh "$work/prefix" > /dev/null
# Back up to the drive the selector starts on: no drive information pop-up.
sed -i 's/"e: \[BACKUP\]"/"c:"/' "$work/prefix/drive_c/Tillora/ini/Autobackup.dat"
mkdir -m 700 "$work/runtime"
# XDG_CONFIG_HOME: the program remembers its drive folder there, not in your own settings.
export WINEPREFIX="$work/prefix" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"

clock_ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Starts the program, waits for its resident line; prints "milliseconds pid".
start_resident() {
    local log="$work/log.$1" begin now pid
    begin=$(date +%s%N)
    "$binary" 2> "$log" &
    pid=$!
    until grep -q "resident" "$log" 2>/dev/null; do
        kill -0 "$pid" 2>/dev/null || { echo "the program ended early:" >&2; cat "$log" >&2; exit 1; }
        sleep 0.005
    done
    now=$(date +%s%N)
    echo "$(( (now - begin) / 1000000 )) $pid"
}

stop() {
    kill -TERM "$1"
    wait "$1" 2>/dev/null || true
}

times=()
for run in 1 2 3 4 5; do
    read -r ms pid < <(start_resident "$run")
    times+=("$ms")
    if [[ $run -eq 5 ]]; then
        sleep 1
        rss=$(awk '/VmRSS/ { print $2 }' "/proc/$pid/status")
        before=$(cpu_ticks "$pid")
        echo "idle for $idle s ..."
        sleep "$idle"
        after=$(cpu_ticks "$pid")
    fi
    stop "$pid"
done

median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
echo "start to resident (ms): ${times[*]}; median $median ms (goal under 1000)"
echo "resident memory after start-up: $((rss / 1024)) MB ($rss kB; goal under 60 MB)"
awk -v t="$((after - before))" -v hz="$clock_ticks" -v s="$idle" \
    'BEGIN { printf "CPU time over %d idle seconds: %.2f s (goal under 1 s)\n", s, t / hz }'
