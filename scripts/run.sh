#!/usr/bin/env bash
# Installs what the programs need, builds both (tillora-kp2 too) and starts tillora-backup.
# Without a store of your own (no $WINEPREFIX and no ~/.wine/dosdevices) it runs against a
# demo store made under demo/run/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target tillora-backup tillora-kp2

if [[ -z "${WINEPREFIX:-}" && ! -d "$HOME/.wine/dosdevices" ]]; then
    export WINEPREFIX="$PWD/demo/run/prefix"
    if [[ ! -d "$WINEPREFIX/dosdevices" ]]; then
        demo/make-demo-store.sh "$WINEPREFIX"
    fi
    echo "Using the demo store in $WINEPREFIX"
fi

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    echo "No desktop found (DISPLAY is not set): start this from a desktop session." >&2
    exit 1
fi
exec build/default/src/app/tillora-backup
