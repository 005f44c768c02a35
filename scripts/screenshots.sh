#!/usr/bin/env bash
# Opens the grading application on the bundled clip under a virtual display
# and saves a picture of its main window for every correction tab, every
# image view and every analysis display, as build/screenshots/NN-<tab>.png.
# The application is driven by an input script (see app/shell/input_script.h)
# and left with Cancel, so the correction is not changed.
set -euo pipefail
source "$(dirname "$0")/screenshot-setup.sh"
out="$build/screenshots"
mkdir -p "$out"
rm -f "$out"/*.png

# The tabs in order: the correction tabs, then the image views (the main
# window starts on "Result"), then the analysis displays (it starts on
# "Combo"; the analysis "Reference" shares its name with the image view
# and the gallery is a window of its own, so both are left out).
tabs=("HSL" "RGB" "CMY" "YCbCr" "Curves" "Levels" "Luma Range" "Secondary" "Limiting"
      "Source" "Reference" "Split Source" "Split Ref" "Luma Ranges" "Result"
      "Luma WFM" "YC WFM" "RGB WFM" "GBR WFM" "YRGB WFM" "YCbCr WFM" "Overlay WFM"
      "Vectorscope" "Histograms" "Tone Curve" "Combo")
script="$work/screenshots.txt"
write_tab_script "$script" "" "${tabs[@]}"
run_ui "$script" 1600x1000 "$work/out"

count="$(ls "$out"/*.png 2>/dev/null | wc -l)"
echo "$count pictures of the main window in $out"
[ "$count" -eq "${#tabs[@]}" ]
