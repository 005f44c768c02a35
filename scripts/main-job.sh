#!/usr/bin/env bash
# Renders the bundled clip through the effect plug-in with the bundled correction.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target velmora-host Velmora3RA64
if [ ! -x build/tools/standin_host/velmora-host ]; then
  echo "The stand-in host and the effect plug-in are not built yet: nothing to render." >&2
  exit 1
fi
exec build/tools/standin_host/velmora-host "$@"
