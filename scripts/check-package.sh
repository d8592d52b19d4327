#!/usr/bin/env bash
# Checks a package made by scripts/package.sh: its exact file list, lintian (an error
# fails; warnings are shown), the menu entries (desktop-file-validate), the AppStream
# metadata (appstreamcli) and that apt can resolve its dependencies.
# Usage: check-package.sh [package]   (default: the one package.sh made)
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(realpath "${1:-$(ls -t tillora-auto-backup_*_amd64.deb | head -n1)}")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== file list"
expected=(
    usr/bin/tillora-backup
    usr/bin/tillora-kp2
    usr/share/applications/tillora-backup.desktop
    usr/share/applications/tillora-kp2.desktop
    usr/share/doc/tillora-auto-backup/changelog.gz
    usr/share/doc/tillora-auto-backup/copyright
    usr/share/icons/hicolor/256x256/apps/tillora-backup.png
    usr/share/icons/hicolor/256x256/apps/tillora-kp2.png
    usr/share/icons/hicolor/48x48/apps/tillora-backup.png
    usr/share/icons/hicolor/48x48/apps/tillora-kp2.png
    usr/share/icons/hicolor/scalable/apps/tillora-backup.svg
    usr/share/icons/hicolor/scalable/apps/tillora-kp2.svg
    usr/share/man/man1/tillora-backup.1.gz
    usr/share/man/man1/tillora-kp2.1.gz
    usr/share/metainfo/local.tillora.AutoBackup.metainfo.xml
    usr/share/metainfo/local.tillora.KitchenPrinter2.metainfo.xml
)
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort > "$work/actual"
printf '%s\n' "${expected[@]}" | sort > "$work/expected"
diff -u "$work/expected" "$work/actual"
echo "$(wc -l < "$work/actual") files, $(du -k "$deb" | cut -f1) kB"

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb"

echo "== menu entries and AppStream metadata"
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work"/root/usr/share/applications/*.desktop
# The whole tree: each metainfo file, and the menu entry and icons it points at.
appstreamcli validate-tree --no-net "$work/root"

echo "== dependencies"
dpkg-deb -f "$deb" Depends
apt-get install --simulate --no-install-recommends "$deb" > "$work/apt" ||
    { cat "$work/apt"; exit 1; }
echo "apt can install it"
