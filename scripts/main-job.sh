#!/usr/bin/env bash
# Renders the bundled clip through the effect plug-in with the bundled correction.
# Arguments go to velmora-host as given and are read from the caller's folder,
# so relative paths (--out DIR, frames, project files) mean what they say.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --parallel "$(nproc)" --target velmora-host Velmora3RA64
host="$root/build/tools/standin_host/velmora-host"
if [ ! -x "$host" ]; then
  echo "The stand-in host and the effect plug-in are not built yet: nothing to render." >&2
  exit 1
fi
exec "$host" "$@"
