#!/usr/bin/env bash
# Runs one libFuzzer target of a fuzz build for a given time, from its seed folders, and
# prints how many inputs it ran. A crash (or a leak, a timeout, a sanitizer's report)
# fails with the last lines of the log; its input is left in the build folder as crash-*.
#
#   fuzz/run.sh <fuzz-build-dir> <target> <seconds> <seed-folder>...
set -Eeuo pipefail
trap 'status=$?; echo "fuzz/run.sh:$LINENO: \"$BASH_COMMAND\" failed with status $status" >&2' ERR
build=$1 target=$2 seconds=$3
shift 3
corpus=$build/corpus-$target
log=$build/$target.log
mkdir -p "$corpus"
echo "== $target, $seconds s =="
suppressions=$(cd "$(dirname "$0")/.." && pwd)/tests/lsan.supp
if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  LSAN_OPTIONS=suppressions=$suppressions:print_suppressions=0 \
  "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$build/" "$corpus" "$@" 2>"$log"; then
  tail -50 "$log" >&2
  echo "$target failed: its log is $log, its input $build/crash-* (or leak-*, timeout-*)" >&2
  exit 1
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
echo "$target: ${runs:-?} inputs in $seconds s, corpus of $(find "$corpus" -type f | wc -l) in $corpus"
