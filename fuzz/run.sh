#!/usr/bin/env bash
# Fuzzes the count reader for a bounded time, starting from the committed seed
# corpus, and fails if the fuzzer finds an input that breaks the reader.
#   FUZZ_SECONDS   how long to fuzz (default 30)
#   further arguments are passed to libFuzzer, e.g. -jobs=2 or -max_len=64
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-30}
build_dir=build/fuzz
fuzzer=$build_dir/count_reader_fuzzer
artifacts=$build_dir/artifacts
log=$build_dir/fuzz.log

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake --preset fuzz
fi
cmake --build --preset fuzz --target count_reader_fuzzer

# libFuzzer adds what it discovers to the first corpus directory only, so a
# scratch directory goes first and the committed seeds are just read.
work_corpus=$(mktemp -d)
trap 'rm -rf "$work_corpus"' EXIT
mkdir -p "$artifacts"

echo "fuzzing the count reader for ${seconds} s (full output: $log)"
status=0
"$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -dict=fuzz/count_reader.dict \
  -artifact_prefix="$artifacts/" "$@" "$work_corpus" fuzz/corpus >"$log" 2>&1 || status=$?

if [ "$status" -ne 0 ]; then
  tail -n 40 "$log"
  echo "the fuzzer failed (exit status $status); reproduce with: $fuzzer $artifacts/<crash file>" >&2
  exit "$status"
fi
grep -E '^(Done [0-9]+ runs|stat::number_of_executed_units|stat::average_exec_per_sec|#[0-9]+ +DONE)' "$log"
