#!/usr/bin/env bash
# Runs one fuzz target for a while:
#   scripts/fuzz.sh NAME SECONDS [libFuzzer options...]
# e.g. scripts/fuzz.sh preset 600 -jobs=3 -workers=3
# Builds it with clang in build-fuzz/ first. New inputs go to
# build-fuzz/corpus/NAME/ (the seeds in fuzz/corpus/NAME/ are only read);
# a crashing or hanging input is kept in build-fuzz/findings/NAME/ and the
# exit status is non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: scripts/fuzz.sh NAME SECONDS [libFuzzer options...]" >&2
  exit 2
}
[ $# -ge 2 ] || usage
name=$1
seconds=$2
shift 2
[[ "$name" =~ ^[a-z0-9_]+$ ]] || { echo "scripts/fuzz.sh: bad target name '$name'" >&2; exit 2; }
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -gt 0 ] || { echo "scripts/fuzz.sh: SECONDS must be a whole number above 0, not '$seconds'" >&2; exit 2; }
[ -d "fuzz/corpus/$name" ] || { echo "scripts/fuzz.sh: no fuzz target '$name' (no fuzz/corpus/$name/)" >&2; exit 2; }

scripts/fuzz-build.sh "fuzz_$name"
exec scripts/fuzz-run.sh "$name" "$seconds" "$@"
