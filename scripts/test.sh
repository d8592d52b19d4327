#!/usr/bin/env bash
# Sets up and runs every test: installs the packages, builds, runs the suite.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
cmake --preset default
cmake --build --preset default
ctest --preset default
