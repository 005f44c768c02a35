#!/usr/bin/env bash
# Opens the grading application on the bundled clip under a virtual display
# and saves a picture of its main window for the combo display and every
# scope (the seven waveform monitors, the vectorscope, the histograms and
# the tone curve), under two sets of scope preferences:
#   ire-601   IRE units, 75% targets, NTSC (the defaults)
#   mv-709    millivolts, 100% targets, Rec. 709, the waveform in the
#             picture's colour
# as build/screenshots/scopes/<set>-NN-<display>.png. The screen is large, so
# the scopes are too. The application is driven by an input script (see
# app/shell/input_script.h), reads its preferences from a folder of its own
# and is left with Cancel, so neither the correction nor the user's
# preferences change.
set -euo pipefail
source "$(dirname "$0")/screenshot-setup.sh"
out="$build/screenshots/scopes"
mkdir -p "$out"
rm -f "$out"/*.png

displays=("Combo" "Luma WFM" "YC WFM" "RGB WFM" "GBR WFM" "YRGB WFM" "YCbCr WFM" "Overlay WFM"
          "Vectorscope" "Histograms" "Tone Curve")

# The preferences file of a set: its scope keys, the rest at their defaults.
write_prefs() {  # folder, mV units, 100% targets, video system, WFM colour
  mkdir -p "$1"
  cat >"$1/Velmora 3 UI Preferences.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>Preferences Version</key>
	<integer>1</integer>
	<key>WFM Units mV</key>
	<integer>$2</integer>
	<key>VS Calibration 100 Percent</key>
	<integer>$3</integer>
	<key>Video System</key>
	<string>$4</string>
	<key>WFM Color</key>
	<integer>$5</integer>
</dict>
</plist>
PLIST
}

shoot() {  # set name, mV units, 100% targets, video system, WFM colour
  local set="$1" script="$work/$1.txt" n=1
  write_prefs "$work/prefs-$set" "$2" "$3" "$4" "$5"
  {
    echo "wait-exchange"
    echo "wait 1"
    for display in "${displays[@]}"; do
      echo "tab $display"
      echo "wait 0.3"
      echo "screenshot $out/$(printf '%s-%02d-%s' "$set" "$n" "$(echo "$display" | tr 'A-Z ' 'a-z-')").png"
      n=$((n + 1))
    done
    echo "cancel"
    echo "quit"
  } >"$script"
  VELMORA_PREFERENCES="$work/prefs-$set" VELMORA_USER_SUPPORT="$work/support-$set" \
    VELMORA_UI_SCRIPT="$script" VELMORA_UI_HEADLESS=0 \
    xvfb-run -a -s "-screen 0 2560x1440x24" \
    "$build/tools/standin_host/velmora-host" --full-interface --out "$work/out-$set" >/dev/null
}

shoot ire-601 0 0 NTSC 0
shoot mv-709 1 1 709 1

count="$(ls "$out"/*.png 2>/dev/null | wc -l)"
echo "$count pictures of the scopes in $out"
[ "$count" -eq $((2 * ${#displays[@]})) ]
