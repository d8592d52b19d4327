#!/usr/bin/env bash
# Sets up and runs the test suite of the Windows build under Wine: installs the packages,
# builds Qt and libcurl for Windows when their cache lacks them (scripts/build-windows-deps.sh;
# once, about 36 minutes), cross-builds both programs and every test, runs them.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test windows
for tool in x86_64-w64-mingw32-g++-posix wine wineserver; do
    command -v "$tool" >/dev/null || {
        echo "test-windows: $tool is missing: run scripts/install-deps.sh windows" >&2
        exit 1
    }
done

scripts/build-windows-deps.sh
TILLORA_WINDEPS=$(scripts/windeps-folder.sh)
export TILLORA_WINDEPS

cmake --preset windows -DTILLORA_WINDEPS="$TILLORA_WINDEPS"
cmake --build --preset windows
ctest --preset windows
