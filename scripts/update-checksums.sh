#!/usr/bin/env bash
# Rewrites the checked-in checksums of rendered pixels from the current build:
#   tests/core/golden_stages.txt               engine stages at 8-bit, 16-bit and float
#   tests/core/golden_transfers.txt            pixel transfers of every layout
#   tests/tools/standin_host/golden_main_job.txt  the bundled clip through the effect
# Run it only when a change of the output is intended, and say in the commit
# which entries moved and why; the tests compare against these files otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -gt 0 ]; then
  echo "usage: scripts/update-checksums.sh (takes no options)" >&2
  exit 2
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --parallel "$(nproc)" --target core_tests standin_host_tests
export VELMORA_UPDATE_CHECKSUMS=1
export VELMORA_TEST_TMP="$PWD/build/test-tmp"
build/tests/core/core_tests --gtest_filter='Golden.*'
build/tests/tools/standin_host/standin_host_tests --gtest_filter='Golden.*'
git --no-pager diff --stat -- tests/core/golden_stages.txt tests/core/golden_transfers.txt tests/tools/standin_host/golden_main_job.txt || true
