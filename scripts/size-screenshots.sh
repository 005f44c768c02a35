#!/usr/bin/env bash
# Opens the grading application on the bundled clip under virtual displays of
# the screen sizes it is laid out for (1024x768, the smallest it accepts,
# 1280x800, 1920x1080 and 1920x1200) and saves a picture of its main window
# with each correction tab on show, as
# build/screenshots/sizes/<width>x<height>-NN-<tab>.png.
# Each run is left with Cancel, so the correction is not changed.
set -euo pipefail
source "$(dirname "$0")/screenshot-setup.sh"
out="$build/screenshots/sizes"
mkdir -p "$out"
rm -f "$out"/*.png

sizes=("1024x768" "1280x800" "1920x1080" "1920x1200")
tabs=("HSL" "RGB" "CMY" "YCbCr" "Curves" "Levels" "Luma Range" "Secondary" "Limiting")
for size in "${sizes[@]}"; do
  write_tab_script "$work/screenshots-$size.txt" "$size" "${tabs[@]}"
  run_ui "$work/screenshots-$size.txt" "$size" "$work/out-$size"
done

count="$(ls "$out"/*.png 2>/dev/null | wc -l)"
echo "$count pictures of the main window in $out"
[ "$count" -eq $((${#sizes[@]} * ${#tabs[@]})) ]
