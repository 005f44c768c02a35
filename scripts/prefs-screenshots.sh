#!/usr/bin/env bash
# Opens the grading application on the bundled clip under a virtual display
# of 1024 x 768, opens Preferences from its menu and saves the window with
# each of its tabs in turn as build/screenshots/prefs/NN-<tab>.png, then
# cancels the dialog and the exchange.
set -euo pipefail
source "$(dirname "$0")/screenshot-setup.sh"
out="$build/screenshots/prefs"
mkdir -p "$out"
rm -f "$out"/*.png

script="$work/prefs.txt"
{
  echo "wait-exchange"
  echo "wait 1"
  echo "menu pref"
  echo "wait 0.5"
  n=1
  for tab in "General" "Video System" "WFM / VS" "Previews" "Control Surface" "Combo Display" "Caches"; do
    echo "tab $tab"
    echo "wait 0.3"
    echo "screenshot-window front $out/$(printf '%02d-%s' "$n" "$(echo "$tab" | tr 'A-Z /' 'a-z--' | tr -s '-')").png"
    n=$((n + 1))
  done
  echo "key escape"
  echo "wait 0.5"
  echo "cancel"
  echo "quit"
} >"$script"

# Preferences of their own, so the user's are left alone, and a segment key
# of its own, so another exchange running meanwhile is left alone.
export VELMORA_PREFERENCES="$work/preferences"
export VELMORA_SHM_KEY=$((0x52000000 + $$ % 65536))
run_ui "$script" 1024x768 "$work/out"

count="$(ls "$out"/*.png 2>/dev/null | wc -l)"
echo "$count pictures of the Preferences window in $out"
[ "$count" -eq 7 ]
