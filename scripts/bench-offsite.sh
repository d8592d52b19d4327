#!/usr/bin/env bash
# Measures the nightly off-site step (restic into an append-only REST server on
# 127.0.0.1) against `restic backup` run by hand on the same files: on an unchanged
# store, and after a change inside the 300 MB sales history file. The program's figure
# includes its own start-up and the list of files; restic's is one `backup` call. Target:
# the program at most 1.1x restic by hand.
#
#   scripts/bench-offsite.sh [work folder] [total MB]
#
# The work folder defaults to build/bench-offsite; the tree is about 1 GB in about 6,000
# files. Needs restic and rclone.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$here/build/bench-offsite}
total_mb=${2:-1024}
build=${BUILD_DIR:-$here/build/default}

cmake --build "$build" --target bench_offsite -j2 >/dev/null
bench=$(find "$build" -name bench_offsite -type f -perm -u+x | head -n1)

mkdir -p "$work/dosdevices" "$work/drive_c"
ln -sfn "$work/drive_c" "$work/dosdevices/c:"
if [[ ! -f "$work/drive_c/.generated-$total_mb" ]]; then
    rm -rf "${work:?}/drive_c"/*
    "$here/scripts/bench-tree.py" "$work/drive_c" "$total_mb"
    touch "$work/drive_c/.generated-$total_mb"
fi
rm -rf "$work/rest" "$work/cache" "$work/drive_c/BenchStore"
echo "Tree: $(du -sm "$work/drive_c" | cut -f1) MB in $(find "$work/drive_c" -type f | wc -l) files"
mkdir -p "$work/rest"
export XDG_CACHE_HOME=$work/cache
rclone serve restic --addr 127.0.0.1:0 --append-only "$work/rest" 2>"$work/rclone.log" &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    url=$(grep -o 'http://127.0.0.1:[0-9]*/' "$work/rclone.log" | head -n1 || true)
    [[ -n $url ]] && break
    sleep 0.1
done
repo="rest:${url}store"
export BENCH_PASSWORD=bench-password
RESTIC_PASSWORD=$BENCH_PASSWORD restic -r "$repo" init >/dev/null

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", b - a}'; }

program() {
    echo "program  $1: $("$bench" "$work/dosdevices" "$repo")"
}
by_hand() {
    local t0 t1 summary
    "$bench" "$work/dosdevices" "$repo" --write-list "$work/files.lst"
    t0=$(now)
    summary=$(RESTIC_PASSWORD=$BENCH_PASSWORD restic -r "$repo" backup --json \
        --files-from-raw "$work/files.lst" --tag tillora | grep '"summary"')
    t1=$(now)
    echo "restic   $1: wall_s $(seconds "$t0" "$t1") $summary"
}
change_sales_history() {
    # A changed stretch in the middle, as a day's sales would make.
    dd if=/dev/urandom of="$work/drive_c/Tillora/Sales/SalesHistory.dat" bs=1M count=2 \
        seek=$(( $1 )) conv=notrunc status=none
}

program "first upload"
program "unchanged"
by_hand "unchanged"
change_sales_history 100
program "one 300 MB file changed"
change_sales_history 150
by_hand "one 300 MB file changed"
