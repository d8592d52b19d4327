#!/usr/bin/env bash
# Builds the Debian package tillora-auto-backup_<version>_amd64.deb into the top folder of
# the repository, from the build tree of `cmake --preset default`: only the programs and
# the package's files are brought up to date (nothing when scripts/test.sh has just built
# everything), then CPack installs them into the package. Check it with
# scripts/check-package.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh package
cmake --preset default >/dev/null
cmake --build --preset default --target tillora-backup tillora-kp2 package_files
rm -f build/package/*.deb
cpack --config build/default/CPackConfig.cmake -B build/package >/dev/null
deb=$(ls build/package/*.deb)
mv -f "$deb" .
echo "$PWD/$(basename "$deb")"
