#!/usr/bin/env bash
# Measures the backup engine against the standard tools on the same disk, on a generated
# store-like tree (about 1 GB in 6,001 files: many small files plus three large ones).
# Every figure includes the flush to the disk: `cp` and `rsync` are followed by `sync`,
# and the backup, which flushes its drive itself before it records the date, is followed
# by a `sync` too. The page cache is warm throughout (the tree was just written).
#
#   1. a first run into an empty backup folder         vs  cp -r
#   2. a second run over the unchanged store           vs  rsync -a over an existing copy
#   3. a run after one 300 MB file and ten small ones
#      changed (the earlier copies go to TLRAversions) vs  cp of that one file
#   4. the peak memory of a first run on a 5 GB tree (when the disk has room for it)
#
# Each of 1 to 3 is timed three times; the median is shown.
#
#   scripts/bench-backup.sh [work folder] [total MB] [large tree MB, 0 to leave out]
#
# The work folder defaults to build/bench-backup; the large tree is removed afterwards.
# Needs rsync (scripts/install-deps.sh test).
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$here/build/bench-backup}
total_mb=${2:-1024}
large_mb=${3:-5120}
build=${BUILD_DIR:-$here/build/backup}

command -v rsync >/dev/null || { echo "rsync is missing: scripts/install-deps.sh test" >&2; exit 1; }

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target bench_backup -j2 >/dev/null
bench=$(find "$build" -name bench_backup -type f -perm -u+x | head -n1)

mkdir -p "$work"
avail_mb=$(df -Pm "$work" | awk 'NR==2 {print $4}')
if (( avail_mb < total_mb * 5 )); then
    total_mb=$(( avail_mb / 6 ))
    echo "Only ${avail_mb} MB free: scaling the tree down to ${total_mb} MB." >&2
fi

# A store-like tree of `$2` MB below `$1`, made once and kept.
generate_tree() {
    local root=$1 mb=$2
    [[ -f "$root/.generated-$mb" ]] && return 0
    rm -rf "$root"
    mkdir -p "$root"
    "$here/scripts/bench-tree.py" "$root" "$mb"
    touch "$root/.generated-$mb"
}

# A store in Wine's drive layout below `$1`: c: is the tree, e: the backup drive.
make_drives() {
    mkdir -p "$1/dosdevices" "$1/drive_c" "$1/drive_e"
    ln -sfn "$1/drive_c" "$1/dosdevices/c:"
    ln -sfn "$1/drive_e" "$1/dosdevices/e:"
}

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", b - a}'; }
median() { printf '%s\n' "$@" | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf (b > 0 ? "%.2fx" : "n/a"), a / b}'; }

# Runs a command and then `sync`; prints the seconds of both together.
timed() {
    local t0 t1
    t0=$(now)
    "$@" >/dev/null
    sync
    t1=$(now)
    seconds "$t0" "$t1"
}

# One backup run followed by `sync`; prints the seconds and keeps the run's own figures
# in $work/last-run.
backup_run() {
    local t0 t1
    t0=$(now)
    if ! "$bench" "$1/dosdevices" c: e: >"$work/last-run" 2>"$work/last-run.problems"; then
        echo "the backup run failed:" >&2
        cat "$work/last-run" "$work/last-run.problems" >&2
        exit 1
    fi
    sync
    t1=$(now)
    seconds "$t0" "$t1"
}
figure() { awk -v key="$1" '$1 == key {print $2}' "$work/last-run"; }

store=$work/store
make_drives "$store"
generate_tree "$store/drive_c" "$total_mb"
sources=("$store/drive_c/Tillora" "$store/drive_c/Shiftra" "$store/drive_c/Loyvana")
echo "Tree: $(du -sm --exclude='.generated-*' "$store/drive_c" | cut -f1) MB in" \
     "$(find "$store/drive_c" -type f ! -name '.generated-*' | wc -l) files"
sync

# 1. First run.
cp_times=() first_times=() first_flush=() gaps=()
for _ in 1 2 3; do
    rm -rf "$store/drive_e/cpcopy"; mkdir -p "$store/drive_e/cpcopy"; sync
    cp_times+=("$(timed cp -r "${sources[@]}" "$store/drive_e/cpcopy/")")
    rm -rf "$store/drive_e/TLRAbackup" "$store/drive_e/TLRAversions"; sync
    first_times+=("$(backup_run "$store")")
    first_flush+=("$(figure flush_seconds)")
    gaps+=("$(figure longest_event_gap_ms)")
done
rm -rf "$store/drive_e/cpcopy"
first=$(median "${first_times[@]}") cp_first=$(median "${cp_times[@]}")
echo "first run:      backup $first s (its flush $(median "${first_flush[@]}") s)," \
     "cp -r + sync $cp_first s: $(ratio "$first" "$cp_first") of cp" \
     "[$(figure files_copied) files, $(figure bytes_copied) bytes]"

# 2. Unchanged run, against rsync -a over a copy it made before.
rm -rf "$store/drive_e/rsynccopy"; mkdir -p "$store/drive_e/rsynccopy"
rsync -a "${sources[@]}" "$store/drive_e/rsynccopy/"; sync
rsync_times=() same_times=() same_flush=()
for _ in 1 2 3; do
    rsync_times+=("$(timed rsync -a "${sources[@]}" "$store/drive_e/rsynccopy/")")
    same_times+=("$(backup_run "$store")")
    same_flush+=("$(figure flush_seconds)")
    gaps+=("$(figure longest_event_gap_ms)")
done
rm -rf "$store/drive_e/rsynccopy"
same=$(median "${same_times[@]}") rsync_same=$(median "${rsync_times[@]}")
echo "unchanged run:  backup $same s (its flush $(median "${same_flush[@]}") s)," \
     "rsync -a + sync $rsync_same s: $(ratio "$same" "$rsync_same") of rsync," \
     "$(ratio "$same" "$first") of the first run [$(figure files_unchanged) files skipped]"

# 3. One 300 MB file and ten small ones changed.
big=$store/drive_c/Tillora/Sales/SalesHistory.dat
change_files() {
    # A file rewritten at the same size within 2 s of its last copy looks unchanged (the
    # times of FAT drives are that coarse): the change comes later than that.
    sleep 3
    dd if=/dev/urandom of="$big" bs=1M count=1 conv=notrunc status=none
    find "$store/drive_c/Tillora/data" -name 'T*.dat' | sort | head -n 10 |
        while read -r small; do echo "changed $RANDOM" >>"$small"; done
    sync
}
one_times=() changed_times=() changed_flush=() versions_kept=()
for _ in 1 2 3; do
    rm -f "$store/drive_e/one.dat"; sync
    one_times+=("$(timed cp "$big" "$store/drive_e/one.dat")")
    change_files
    changed_times+=("$(backup_run "$store")")
    changed_flush+=("$(figure flush_seconds)")
    versions_kept+=("$(figure versions_kept)")
    gaps+=("$(figure longest_event_gap_ms)")
done
rm -f "$store/drive_e/one.dat"
changed=$(median "${changed_times[@]}") cp_one=$(median "${one_times[@]}")
echo "changed run:    backup $changed s (its flush $(median "${changed_flush[@]}") s)," \
     "cp of the $(( $(stat -c %s "$big") >> 20 )) MB file + sync $cp_one s:" \
     "$(ratio "$changed" "$cp_one") of that copy [$(figure files_copied) files;" \
     "versions kept ${versions_kept[*]}: the first run of the day moves the earlier" \
     "copies aside, later ones keep that first version]"
echo "longest gap between processed events: $(printf '%s\n' "${gaps[@]}" | sort -n | tail -n1) ms;" \
     "peak memory of the 1 GB runs: $(figure peak_memory)"

# 4. Peak memory on a large tree.
if (( large_mb > 0 )); then
    avail_mb=$(df -Pm "$work" | awk 'NR==2 {print $4}')
    if (( avail_mb < large_mb * 2 + 2048 )); then
        echo "large tree: left out, ${avail_mb} MB free is too little for two ${large_mb} MB trees"
    else
        large=$work/large
        make_drives "$large"
        generate_tree "$large/drive_c" "$large_mb"
        sync
        t=$(backup_run "$large")
        echo "large tree:     first run of $(figure bytes_copied) bytes in" \
             "$(figure files_copied) files: $t s, peak memory $(figure peak_memory)"
        rm -rf "$large"
    fi
fi
rm -rf "$store/drive_e/TLRAbackup" "$store/drive_e/TLRAversions"
