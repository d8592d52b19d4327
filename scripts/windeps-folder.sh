#!/usr/bin/env bash
# Prints the folder of Qt and libcurl built for Windows: $TILLORA_WINDEPS when set, else the
# cache scripts/build-windows-deps.sh fills, named after the Qt version it builds.
set -euo pipefail

if [[ -n "${TILLORA_WINDEPS:-}" ]]; then
    echo "$TILLORA_WINDEPS"
    exit 0
fi
qt_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev) || {
    echo "windeps-folder: qt6-base-dev is not installed: run scripts/install-deps.sh" >&2
    exit 1
}
qt_upstream=$(sed -E 's/^[0-9]+://; s/[+~-].*//' <<<"$qt_version")
echo "$HOME/.cache/tillora/windeps-$qt_upstream"
