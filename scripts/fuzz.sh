#!/usr/bin/env bash
# Builds the libFuzzer harnesses (the "fuzz" preset: clang with the address and undefined
# behaviour sanitizers) and runs each over its seed corpus in tests/fuzz/corpus.
#   fuzz.sh [seconds]  each harness for that long (default 60); inputs that find new
#                      paths are kept in build/fuzz/corpus/<harness> for the next run
#   fuzz.sh --ci       each harness for a fixed number of inputs (FUZZ_RUNS, default
#                      5000) with a fixed seed, from the seeds alone: a repeatable run
# Any crash, sanitizer report or broken check stops the script with a failure; the input
# that caused it is left in the current folder as crash-*, leak-* or timeout-*.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

mode=time
seconds=60
if [[ "${1:-}" == "--ci" ]]; then
    mode=ci
elif [[ -n "${1:-}" ]]; then
    seconds=$1
fi
runs=${FUZZ_RUNS:-5000}

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for harness in $(find build/fuzz/tests/fuzz -maxdepth 1 -name 'fuzz_*' -type f -executable | sort); do
    name=$(basename "$harness")
    seeds=tests/fuzz/corpus/$name
    if [[ $mode == ci ]]; then
        found=$scratch/$name
        options=(-runs="$runs" -seed=1)
    else
        found=build/fuzz/corpus/$name
        options=(-max_total_time="$seconds")
    fi
    mkdir -p "$found"
    echo "== $name"
    start=$SECONDS
    "$harness" "${options[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
        "$found" "$seeds" 2>"$scratch/$name.log" || {
        tail -n 60 "$scratch/$name.log"
        echo "fuzz.sh: $name failed" >&2
        exit 1
    }
    grep -E '^Done [0-9]+ runs' "$scratch/$name.log" || true
    echo "   $((SECONDS - start)) s"
done
