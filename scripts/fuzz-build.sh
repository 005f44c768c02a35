#!/usr/bin/env bash
# Configures the clang fuzz build in build-fuzz/ and builds the targets named
# (default: every fuzz target). Used by fuzz.sh and fuzz-ci.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON \
  -DBUILD_TESTING=OFF -DVELMORA_BENCHMARKS=OFF -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld "${launcher[@]}" >/dev/null
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_targets)
cmake --build build-fuzz --parallel "${VELMORA_BUILD_JOBS:-$(nproc)}" --target "${targets[@]}"
