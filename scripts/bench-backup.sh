#!/usr/bin/env bash
# Measures one backup run against `cp -r` of the same store-like tree on the same disk,
# cold (page cache dropped, when this user may) and warm. Prints the wall times, the
# time of the `sync` that follows each (cp leaves its data in the page cache; the backup
# has already flushed every file to disk), the longest gap between processed events
# during the run and the peak memory of the backup process.
#
#   scripts/bench-backup.sh [work folder] [total MB]
#
# The work folder defaults to build/bench-backup; the tree is about 1 GB in about
# 6,000 files: many small files plus three large ones.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$here/build/bench-backup}
total_mb=${2:-1024}
build=${BUILD_DIR:-$here/build/backup}

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target bench_backup -j2 >/dev/null
bench=$(find "$build" -name bench_backup -type f -perm -u+x | head -n1)

avail_mb=$(df -Pm "$(dirname "$work")" | awk 'NR==2 {print $4}')
if (( avail_mb < total_mb * 4 )); then
    total_mb=$(( avail_mb / 5 ))
    echo "Only ${avail_mb} MB free: scaling the tree down to ${total_mb} MB." >&2
fi

mkdir -p "$work/dosdevices" "$work/drive_c" "$work/drive_e"
ln -sfn "$work/drive_c" "$work/dosdevices/c:"
ln -sfn "$work/drive_e" "$work/dosdevices/e:"

if [[ ! -f "$work/drive_c/.generated-$total_mb" ]]; then
    rm -rf "$work/drive_c"/*
    /usr/bin/python3 - "$work/drive_c" "$total_mb" <<'PY'
import os, random, sys
root, total_mb = sys.argv[1], int(sys.argv[2])
random.seed(7)
tillora = ["", "ADS", "data", "Delivery", "Delivery/Delivered", "Delivery/Driver",
           "Delivery/LastOrder", "Delivery/Out", "DriveThru", "ini", "ini/1", "ini/2",
           "ini/3", "ini/TableGraphics", "PhoneOrders", "Sales", "Server", "Server/Sales",
           "Table", "Table/Torder", "Table/Tseat", "Table/Tcheck", "Temp", "Table/Pcheck"]
folders = [os.path.join("Tillora", f) for f in tillora]
folders += ["Shiftra", "Shiftra/data", "Loyvana", "Loyvana/Loyvana/BackupData",
            "Loyvana/Loyvana/Deleted"]
for f in folders:
    os.makedirs(os.path.join(root, f), exist_ok=True)
block = os.urandom(1 << 20)
def write(path, size):
    with open(path, "wb") as out:
        while size > 0:
            n = min(size, len(block))
            out.write(block[:n])
            size -= n
large = [("Tillora/Sales/SalesHistory.dat", 0.30), ("Tillora/data/Journal.dat", 0.25),
         ("Shiftra/data/Timesheets.dat", 0.25)]
for path, share in large:
    write(os.path.join(root, path), int(total_mb * share) << 20)
small_bytes = int(total_mb * 0.20) << 20
count = 6000 - len(large)
mean = small_bytes // count
for i in range(count):
    folder = folders[i % len(folders)]
    size = random.randint(1, 2 * mean)
    write(os.path.join(root, folder, "T%05d.dat" % i), size)
PY
    touch "$work/drive_c/.generated-$total_mb"
fi
echo "Tree: $(du -sm "$work/drive_c" | cut -f1) MB in $(find "$work/drive_c" -type f | wc -l) files"

drop_caches() {
    sync
    if echo 3 > /proc/sys/vm/drop_caches 2>/dev/null; then
        return 0
    fi
    echo "(could not drop the page cache: not root; the cold figures are warm)" >&2
}

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", b - a}'; }

run_cp() {
    rm -rf "$work/drive_e/cpcopy"; sync
    [[ $1 == cold ]] && drop_caches
    mkdir -p "$work/drive_e/cpcopy"
    local t0 t1 t2
    t0=$(now)
    cp -r "$work/drive_c/Tillora" "$work/drive_c/Shiftra" "$work/drive_c/Loyvana" \
        "$work/drive_e/cpcopy/"
    t1=$(now); sync; t2=$(now)
    echo "cp -r    $1: $(seconds "$t0" "$t1") s, then sync $(seconds "$t1" "$t2") s," \
         "total $(seconds "$t0" "$t2") s"
}

run_backup() {
    rm -rf "$work/drive_e/TLRAbackup"; sync
    [[ $1 == cold ]] && drop_caches
    local t0 t1 t2 out
    t0=$(now)
    out=$(/usr/bin/time -f "rss_kb %M" "$bench" "$work/dosdevices" c: e: 2>&1)
    t1=$(now); sync; t2=$(now)
    echo "backup   $1: $(seconds "$t0" "$t1") s, then sync $(seconds "$t1" "$t2") s," \
         "total $(seconds "$t0" "$t2") s;" \
         "longest event gap $(awk '/longest_event_gap_ms/ {print $2}' <<<"$out") ms," \
         "peak memory $(awk '/rss_kb/ {print $2}' <<<"$out") kB"
}

run_cp cold
run_backup cold
run_cp warm
run_backup warm
rm -rf "$work/drive_e/cpcopy" "$work/drive_e/TLRAbackup"
