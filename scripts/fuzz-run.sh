#!/usr/bin/env bash
# Runs the built fuzz target NAME for SECONDS over its seeds and the corpus
# it has grown (build-fuzz/corpus/NAME/); extra arguments go to libFuzzer.
# Non-zero exit on a finding, which is kept in build-fuzz/findings/NAME/.
set -euo pipefail
cd "$(dirname "$0")/.."
name=$1
seconds=$2
shift 2

program=build-fuzz/fuzz/fuzz_$name
[ -x "$program" ] || { echo "scripts/fuzz-run.sh: $program is not built" >&2; exit 2; }
corpus=build-fuzz/corpus/$name
findings=build-fuzz/findings/$name
mkdir -p "$corpus" "$findings"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
# The targets keep the files they write (preferences, clipboard, scratch
# copies) in folders of their own below TMPDIR, removed afterwards.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/velmora-fuzz-run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch
unset VELMORA_DEBUG_LOG VELMORA_LOG

# Standard output is closed (readers print progress there); -timeout marks
# an input that takes longer than that many seconds as a hang.
"$program" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2560 -close_fd_mask=1 -print_final_stats=1 \
  -artifact_prefix="$findings/" "$@" "$corpus" "fuzz/corpus/$name"
