# Shared start of the screenshot scripts, sourced by them: finds the source
# tree, builds the programs in build/ (configuring it when new), refuses to go
# on without xvfb-run, and makes a scratch folder $work removed on exit.
# The sourcing script sets $out and empties it of pictures.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"
if ! command -v xvfb-run >/dev/null; then
  echo "xvfb-run is needed (scripts/install-deps.sh installs it)." >&2
  exit 1
fi
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --parallel 4 --target velmora-host velmora-ui Velmora3RA64 >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# write_tab_script FILE PREFIX TAB...: an input script that waits for the
# exchange, shows each tab in turn and saves the window after each as
# $out/PREFIX-NN-<tab>.png (PREFIX empty: NN-<tab>.png), then cancels.
write_tab_script() {
  local file="$1" prefix="$2" n=1 tab
  shift 2
  {
    echo "wait-exchange"
    echo "wait 1"
    for tab in "$@"; do
      echo "tab $tab"
      echo "wait 0.3"
      echo "screenshot $out/${prefix:+$prefix-}$(printf '%02d-%s' "$n" "$(echo "$tab" | tr 'A-Z ' 'a-z-')").png"
      n=$((n + 1))
    done
    echo "cancel"
    echo "quit"
  } >"$file"
}

# run_ui SCRIPT SCREEN OUTDIR: the stand-in host's full interface on the
# bundled clip, driven by SCRIPT, under a virtual display of SCREEN
# (WIDTHxHEIGHT). The display stays up a moment after the host ends, so the
# application can quit by itself after Cancel.
run_ui() {
  VELMORA_UI_SCRIPT="$1" VELMORA_UI_HEADLESS=0 \
    xvfb-run -a -s "-screen 0 $2x24" \
    bash -c '"$1" --full-interface --out "$2" >/dev/null && sleep 2' screenshots \
    "$build/tools/standin_host/velmora-host" "$3"
}
