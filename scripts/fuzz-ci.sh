#!/usr/bin/env bash
# CI: builds every fuzz target with clang (build-fuzz/) and runs each for a
# short time (FUZZ_SECONDS, default 20), failing on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-20}

scripts/install-deps.sh
scripts/fuzz-build.sh
failed=()
while read -r name; do
  [ -n "$name" ] || continue
  echo "-- fuzz_$name for ${seconds} s"
  if ! scripts/fuzz-run.sh "$name" "$seconds" >"build-fuzz/fuzz_$name.log" 2>&1; then
    tail -n 60 "build-fuzz/fuzz_$name.log"
    failed+=("$name")
  else
    grep -E '^stat::number_of_executed_units' "build-fuzz/fuzz_$name.log" || true
  fi
done <build-fuzz/fuzz/fuzz_targets.txt
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz targets with findings: ${failed[*]} (inputs in build-fuzz/findings/)" >&2
  exit 1
fi
