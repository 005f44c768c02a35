#!/usr/bin/env bash
# Installs what the build needs, configures, builds and runs every test.
#   scripts/test.sh              normal build in build/
#   scripts/test.sh --sanitize   AddressSanitizer + UBSan build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
case "$#:${1:-}" in
  0:) ;;
  1:--sanitize)
    build=build-asan
    flags=(-DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_BENCHMARKS=OFF)
    ;;
  *)
    echo "scripts/test.sh: unknown option $* (it takes --sanitize or nothing)" >&2
    exit 2
    ;;
esac

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Third-party libraries (fontconfig, pango, SDL, X11) keep caches they never free.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
# Windows open on a virtual display when there is no real one.
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1600x1000x24" ctest --test-dir "$build" --output-on-failure --timeout 300 -j "$(nproc)"
fi
exec ctest --test-dir "$build" --output-on-failure --timeout 300 -j "$(nproc)"
