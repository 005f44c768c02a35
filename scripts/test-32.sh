#!/usr/bin/env bash
# Builds the 32-bit plug-in (Velmora3AE), its stand-in host and their tests
# in build-32/ (g++ -m32 -msse2 -mfpmath=sse, no third-party library) and runs
# the engine's, the plug-in's and the host's tests there. On a kernel that
# cannot run 32-bit programs they run under qemu-i386.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$#" -eq 0 ] || { echo "scripts/test-32.sh: takes no options" >&2; exit 2; }
scripts/install-deps.sh
cmake -S . -B build-32 -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_32BIT=ON >/dev/null
cmake --build build-32 --parallel "$(nproc)"
exec ctest --test-dir build-32 --output-on-failure --timeout 300 -j "$(nproc)"
