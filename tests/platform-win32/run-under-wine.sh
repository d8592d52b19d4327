#!/usr/bin/env bash
# Cross-builds the Win32 layer of the platform seam with mingw-w64 and runs its tests
# under Wine; first checks that the Windows adapter and the backup's file layer (the
# copy, its native names, the renames, the versions folder) compile for Windows against
# the Qt headers given (the host's: no Qt for Windows is installed here, so this is a
# compile check of those files, not a build of them).
# Usage: run-under-wine.sh <repository> <build folder> [Qt include folder...]
# Exits 77 (skipped) when the cross compiler or Wine is missing.
set -euo pipefail
repo=$1 build=$2
shift 2

cxx=x86_64-w64-mingw32-g++-posix
for tool in "$cxx" wine; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool not found; install mingw-w64 and wine (scripts/install-deps.sh windows)"
        exit 77
    fi
done

if (($#)); then
    qt_includes=()
    for folder in "$@"; do qt_includes+=(-isystem "$folder"); done
    echo "== compile check of the Windows adapter and the backup's file layer"
    for source in src/platform/windows/WindowsPlatform.cpp src/platform/FileReplace.cpp \
        src/platform/NativeFiles.cpp src/backup/ChunkedFileCopy.cpp src/backup/BackupVersions.cpp; do
        "$cxx" -fsyntax-only -std=c++20 -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Werror \
            -I "$repo/src/platform" -I "$repo/src/platform/windows" -I "$repo/src/backup" \
            "${qt_includes[@]}" "$repo/$source"
    done
fi

echo "== cross build of the Win32 layer and its tests"
cmake -S "$repo/tests/platform-win32" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64.cmake" >/dev/null
cmake --build "$build" -j2

echo "== tests under Wine"
status=0
ctest --test-dir "$build" --output-on-failure || status=$?

# Let this prefix's Wine session end rather than leave it running after the test.
WINEPREFIX="$build/wineprefix" timeout 60 wineserver -w || WINEPREFIX="$build/wineprefix" wineserver -k || true
exit $status
