#!/usr/bin/env bash
# Saves the 32-bit plug-in's panel (its curve and hue-wheel displays and its
# two button strips, drawn through the host's port) as
# build-32/screenshots/panel-32.png, after a click on the master wheel, a
# drag on the master curve and the pointer over the Auto Color button. Needs
# build-32/ (scripts/test-32.sh makes it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build-32/screenshots"
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
printf 'click 104 90 96\ndrag 90 76\nrelease 90 56\nclick 45 140 90\nrelease 140 90\nmove 118 40 8\npng %s\n' \
  "$out/panel-32.png" > "$work/panel.txt"
run=()
if ! "$root/build-32/tools/standin_host/velmora-host" --version >/dev/null 2>&1; then
  run=(qemu-i386)  # a kernel without 32-bit support
fi
VELMORA_PREFERENCES="$work/prefs" \
  "${run[@]}" "$root/build-32/tools/standin_host/velmora-host" --panel "$work/panel.txt" --out "$work/out" >/dev/null
echo "$out/panel-32.png"
