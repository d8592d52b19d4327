#!/usr/bin/env bash
# Renders the programs' PNG icons (48 and 256 px) from their hand-drawn SVGs. The PNGs are
# kept in the repository, so building and packaging need no SVG renderer; run this after
# changing an SVG. Needs rsvg-convert (scripts/install-deps.sh package).
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"

for svg in *.svg; do
    name=${svg%.svg}
    for size in 48 256; do
        mkdir -p "$size"
        rsvg-convert --width "$size" --height "$size" "$svg" --output "$size/$name.png"
    done
done
