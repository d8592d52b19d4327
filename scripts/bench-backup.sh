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
#      and a second such run the same day (the copies
#      are replaced; the first version of the day stays) vs  cp of that one file
#   4. the peak memory of a first run on a 5 GB tree (when the disk has room for it)
#
# After each of 1 to 3, what reading the copies back took: the copies the run wrote (from
# the disk, against the time of copying them) and the night's slice of unchanged copies
# compared with their sources (one 28th of the tree).
#
# Each of 1 to 3 is timed in eight pairs (see `pair` below; PAIRS=n for another even
# number): the medians of the times, and the geometric mean of the pairs' ratios.
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
geomean() { printf '%s\n' "$@" | awk '{s += log($1)} END {printf "%.2f", exp(s / NR)}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf (b > 0 ? "%.3f" : "n/a"), a / b}'; }

# Waits for the disk to settle after deleting a large copy (the drive may trim the freed
# blocks in the background), so one side does not pay for the other's clean-up.
settle() { sync; sleep 1; }

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

# The machine's speed drifts from one minute to the next (a virtual disk, other guests),
# so each figure is a pair run back to back, the two sides in turn first, and the ratio
# shown is the geometric mean of the pairs' ratios. With as many pairs of each order, a
# run that is slower for coming first (or second) in its pair counts as often on either
# side, and the mean cancels it; the medians of the times are shown beside it.
pairs=${PAIRS:-8}
(( pairs % 2 == 0 )) || pairs=$(( pairs + 1 ))
backup_times=() other_times=() ratios=() flushes=() all_gaps=() gaps=()
read_written=() read_slice=() read_ratios=()
# pair <backup preparation> <other preparation> <other side as a command...>: one backup
# run and one run of the other side, each after its untimed preparation; appends to the
# arrays above.
pair() {
    local prepare_backup=$1 prepare_other=$2 b o
    shift 2
    if (( ${#ratios[@]} % 2 == 0 )); then
        "$prepare_backup"; b=$(backup_run "$store"); "$prepare_other"; o=$(timed "$@")
    else
        "$prepare_other"; o=$(timed "$@"); "$prepare_backup"; b=$(backup_run "$store")
    fi
    backup_times+=("$b") other_times+=("$o") ratios+=("$(ratio "$b" "$o")")
    flushes+=("$(figure flush_seconds)") gaps+=("$(figure longest_event_gap_ms)")
    all_gaps+=("$(figure longest_event_gap_ms)")
    # Reading back, against the run's own time without it (copying and the flush).
    local written slice
    written=$(figure verify_written_seconds) slice=$(figure verify_slice_seconds)
    read_written+=("$written") read_slice+=("$slice")
    read_ratios+=("$(ratio "$written" "$(awk -v s="$(figure seconds)" -v w="$written" \
                                           -v l="$slice" 'BEGIN {print s - w - l}')")")
}
reset_pairs() {
    backup_times=() other_times=() ratios=() flushes=() gaps=()
    read_written=() read_slice=() read_ratios=()
}
# What reading the copies back cost in the last set of pairs.
read_back() {
    echo "read back: the copies written $(median "${read_written[@]}") s," \
         "$(median "${read_ratios[@]}")x of copying them; the slice of unchanged ones" \
         "$(median "${read_slice[@]}") s [$(figure verify_files) files read back]"
}
summary() {
    echo "backup $(median "${backup_times[@]}") s (its flush $(median "${flushes[@]}") s)," \
         "$1 $(median "${other_times[@]}") s: $(geomean "${ratios[@]}")x" \
         "[pairs: $(paste -d/ <(printf '%s\n' "${backup_times[@]}") \
                                <(printf '%s\n' "${other_times[@]}") | tr '\n' ' ')s;" \
         "event gaps ${gaps[*]} ms]"
}

store=$work/store
make_drives "$store"
generate_tree "$store/drive_c" "$total_mb"
sources=("$store/drive_c/Tillora" "$store/drive_c/Shiftra" "$store/drive_c/Loyvana")
echo "Tree: $(du -sm --exclude='.generated-*' "$store/drive_c" | cut -f1) MB in" \
     "$(find "$store/drive_c" -type f ! -name '.generated-*' | wc -l) files; $pairs pairs each"

# 1. First run, against cp -r into an empty folder.
empty_backup() { rm -rf "$store/drive_e/TLRAbackup" "$store/drive_e/TLRAversions"; settle; }
empty_cpcopy() { rm -rf "$store/drive_e/cpcopy"; mkdir -p "$store/drive_e/cpcopy"; settle; }
reset_pairs
for _ in $(seq $pairs); do
    pair empty_backup empty_cpcopy cp -r "${sources[@]}" "$store/drive_e/cpcopy/"
done
rm -rf "$store/drive_e/cpcopy"; settle
first=$(median "${backup_times[@]}")
echo "first run:      $(summary "cp -r + sync") of cp" \
     "[$(figure files_copied) files, $(figure bytes_copied) bytes]"
echo "                $(read_back)"

# 2. Unchanged run, against rsync -a over a copy it made before.
rm -rf "$store/drive_e/rsynccopy"; mkdir -p "$store/drive_e/rsynccopy"
rsync -a "${sources[@]}" "$store/drive_e/rsynccopy/"; settle
nothing() { :; }
reset_pairs
for _ in $(seq $pairs); do
    pair nothing nothing rsync -a "${sources[@]}" "$store/drive_e/rsynccopy/"
done
rm -rf "$store/drive_e/rsynccopy"; settle
echo "unchanged run:  $(summary "rsync -a + sync") of rsync," \
     "$(ratio "$(median "${backup_times[@]}")" "$first")x of the first run" \
     "[$(figure files_unchanged) files skipped]"
echo "                $(read_back)"

# 3. One 300 MB file and ten small ones changed, against cp of that one file.
big=$store/drive_c/Tillora/Sales/SalesHistory.dat
mapfile -t smalls < <(find "$store/drive_c/Tillora/data" -name 'T*.dat' | sort)
change_files() {
    # A file rewritten at the same size within 2 s of its last copy looks unchanged (the
    # times of FAT drives are that coarse): the change comes later than that.
    sleep 3
    dd if=/dev/urandom of="$big" bs=1M count=1 conv=notrunc status=none
    for small in "${smalls[@]:0:10}"; do echo "changed $RANDOM" >>"$small"; done
    settle
}
no_one() { rm -f "$store/drive_e/one.dat"; settle; }
# As at night: the first change of the day moves the earlier copies to TLRAversions.
new_day() { rm -rf "$store/drive_e/TLRAversions"; change_files; }
reset_pairs; versions=()
for _ in $(seq $pairs); do
    pair new_day no_one cp "$big" "$store/drive_e/one.dat"
    versions+=("$(figure versions_kept)")
done
size_mb=$(( $(stat -c %s "$big") >> 20 ))
echo "changed run:    $(summary "cp of the $size_mb MB file + sync") of that copy" \
     "[$(figure files_copied) files copied, versions kept: ${versions[*]}]"
echo "                $(read_back)"
# A second change the same day: the first version of the day stays, the copy is replaced.
reset_pairs; versions=()
for _ in $(seq $pairs); do
    pair change_files no_one cp "$big" "$store/drive_e/one.dat"
    versions+=("$(figure versions_kept)")
done
rm -f "$store/drive_e/one.dat"
echo "same day again: $(summary "cp of the $size_mb MB file + sync") of that copy" \
     "[versions kept: ${versions[*]}: the first version of the day stays]"
echo "longest gap between processed events: $(printf '%s\n' "${all_gaps[@]}" | sort -n | tail -n1) ms;" \
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
