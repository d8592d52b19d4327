#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs; "test" adds what the tests need.
# Usage: install-deps.sh [test] [windows] [package] [fuzz]
# Packages already present are not fetched again.
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev libqt6printsupport6 libqt6test6
          libcurl4-openssl-dev libxkbcommon-dev libxxhash-dev ca-certificates)
if [[ "${1:-}" == "test" ]]; then
    # rsync: scripts/bench-backup.sh. restic and rclone: the off-site copy's tests run
    # real restic against an append-only REST server (rclone serve restic) on 127.0.0.1.
    packages+=(python3-aiosmtpd openssl faketime rsync restic rclone)
fi
# "windows" adds the cross compiler and Wine that the Windows build's tests run with,
# dpkg-dev for scripts/build-windows-deps.sh (apt-get source unpacks with dpkg-source)
# and the fonts the offscreen platform plugin draws with under Wine (Qt ships none);
# icoutils makes the programs' .ico files and NSIS the installer (scripts/package-windows.sh).
if [[ " $* " == *" windows "* ]]; then
    packages+=(mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 dpkg-dev fonts-dejavu-core
               icoutils nsis)
fi

# "package" adds what making and checking the Debian package takes (file and dpkg-dev
# for CPack's dependency scan) and rsvg-convert for scripts/render-icons.sh.
if [[ " $* " == *" package "* ]]; then
    packages+=(file dpkg-dev lintian desktop-file-utils appstream librsvg2-bin)
fi

# "fuzz" adds clang and its libFuzzer and sanitizer runtimes, which are only a Recommends of
# clang and so left out by --no-install-recommends.
if [[ " $* " == *" fuzz "* ]]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
    sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
