#!/usr/bin/env bash
# Opens the grading application on the bundled clip under a virtual display
# with a gallery of folders, images and presets (support and preferences
# folders of its own), opens two folders, selects an image and saves the main
# window as build/screenshots/gallery.png. Left with Cancel.
set -euo pipefail
source "$(dirname "$0")/screenshot-setup.sh"
out="$build/screenshots"
mkdir -p "$out"
rm -f "$out/gallery.png"

clip="$root/tools/standin_host/clip"
mkdir -p "$work/images" "$work/prefs" "$work/user/Quorvane/Velmora Presets" \
  "$work/system/Quorvane/Velmora Presets/Looks"
cp "$clip/frame_0001.png" "$work/images/sky.png"
cp "$clip/frame_0003.png" "$work/images/street.png"
cp "$clip/frame_0005.png" "$work/images/night.png"
cp "$clip/frame_0006.png" "$work/images/grade ref.png"
presets="$root/fuzz/corpus/preset"
cp "$presets/graded.vlpreset" "$work/system/Quorvane/Velmora Presets/Warm.vlpreset"
cp "$presets/curves.vlpreset" "$work/system/Quorvane/Velmora Presets/Cool.vlpreset"
cp "$presets/curves.vlpreset" "$work/system/Quorvane/Velmora Presets/Looks/Bleach.vlpreset"
cp "$presets/graded.vlpreset" "$work/user/Quorvane/Velmora Presets/Saved Settings.vlpreset"

# The stored gallery: two folders with images, one image at the root; the
# list sorted by name.
alias() { printf '%s' "$1" | base64 -w0; }
cat >"$work/prefs/Velmora 3 UI Preferences.plist" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
  <key>Gallery Sort Col</key><integer>1851878757</integer>
  <key>Gallery Sort Order</key><integer>1</integer>
  <key>Gallery File Count</key><integer>6</integer>
  <key>Gallery File Folder Flag 1</key><integer>1</integer>
  <key>Gallery File Name 1</key><string>Day One</string>
  <key>Gallery File Folder ID 1</key><integer>101</integer>
  <key>Gallery File Parent ID 1</key><integer>0</integer>
  <key>Gallery File Comment 1</key><string>Exteriors</string>
  <key>Gallery File Date 1</key><integer>3848131200</integer>
  <key>Gallery File Folder Flag 2</key><integer>1</integer>
  <key>Gallery File Name 2</key><string>References</string>
  <key>Gallery File Folder ID 2</key><integer>102</integer>
  <key>Gallery File Parent ID 2</key><integer>0</integer>
  <key>Gallery File Comment 2</key><string>          </string>
  <key>Gallery File Date 2</key><integer>3848217600</integer>
  <key>Gallery File Alias 3</key><data>$(alias "$work/images/night.png")</data>
  <key>Gallery File Comment 3</key><string>Dusk</string>
  <key>Gallery File Parent ID 3</key><integer>0</integer>
  <key>Gallery File Alias 4</key><data>$(alias "$work/images/sky.png")</data>
  <key>Gallery File Comment 4</key><string>Hero shot</string>
  <key>Gallery File Parent ID 4</key><integer>101</integer>
  <key>Gallery File Alias 5</key><data>$(alias "$work/images/street.png")</data>
  <key>Gallery File Comment 5</key><string>          </string>
  <key>Gallery File Parent ID 5</key><integer>101</integer>
  <key>Gallery File Alias 6</key><data>$(alias "$work/images/grade ref.png")</data>
  <key>Gallery File Comment 6</key><string>From the colourist</string>
  <key>Gallery File Parent ID 6</key><integer>102</integer>
</dict>
</plist>
EOF

# The main window at 1600 x 978: the gallery pane's list starts at (903, 78);
# its rows are 18 px high under a 20 px header, the triangles 14 px apart by
# depth. Rows by name: Day One, night.png, References, the two preset folders.
row() { echo $((78 + 20 + 18 * $1 + 9)); }
script="$work/gallery.txt"
cat >"$script" <<EOF
wait-exchange
wait 1
tab Gallery
wait 0.3
click 912 $(row 0)
wait 0.3
click 912 $(row 5)
wait 0.3
click 960 $(row 1)
wait 0.5
screenshot $out/gallery.png
cancel
quit
EOF

(cd "$work" && VELMORA_UI_SCRIPT="$script" VELMORA_UI_HEADLESS=0 VELMORA_PREFERENCES="$work/prefs" \
  VELMORA_SYSTEM_SUPPORT="$work/system" VELMORA_USER_SUPPORT="$work/user" \
  xvfb-run -a -s "-screen 0 1600x1000x24" \
  bash -c '"$1" --full-interface --out "$2" >/dev/null && sleep 2' screenshots \
  "$build/tools/standin_host/velmora-host" "$work/out")

[ -f "$out/gallery.png" ] && echo "the gallery pane in $out/gallery.png"
