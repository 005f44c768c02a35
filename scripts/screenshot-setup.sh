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
