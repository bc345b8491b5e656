#!/usr/bin/env bash
# Fuzzes the count reader and the record reader for a bounded time, each
# starting from its committed seed corpus, and fails if a fuzzer finds an
# input that breaks its reader.
#   FUZZ_SECONDS   how long to fuzz in all, shared evenly between the targets
#                  (default 30)
#   FUZZ_TARGETS   which readers to fuzz (default "count_reader record_reader")
#   further arguments are passed to libFuzzer, e.g. -jobs=2 or -max_len=64
# Every input is held to 2 GiB of memory and 10 seconds, so that a reader
# whose cost grows faster than its input is caught as surely as one that
# crashes; the record reader takes inputs of up to 1 MiB from the start
# (rather than growing the limit from the seeds' sizes, which reaches some
# tens of KiB in ten minutes), large enough for hundreds of records or a
# deep, wide or long one.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-30}
read -r -a targets <<<"${FUZZ_TARGETS:-count_reader record_reader}"
build_dir=build/fuzz
artifacts=$build_dir/artifacts
share=$((seconds / ${#targets[@]}))
if [ "$share" -lt 1 ]; then
  share=1
fi

if [ ! -f "$build_dir/CMakeCache.txt" ]; then
  cmake --preset fuzz
fi
cmake --build --preset fuzz --target "${targets[@]/%/_fuzzer}"

# libFuzzer adds what it discovers to the first corpus directory only, so a
# scratch directory goes first and the committed seeds are just read.
work_corpus=$(mktemp -d)
trap 'rm -rf "$work_corpus"' EXIT
mkdir -p "$artifacts"

for target in "${targets[@]}"; do
  fuzzer=$build_dir/${target}_fuzzer
  log=$build_dir/${target}.log
  echo "fuzzing the ${target/_/ } for ${share} s (full output: $log)"
  mkdir -p "$work_corpus/$target"
  limits=(-rss_limit_mb=2048 -timeout=10)
  if [ "$target" = record_reader ]; then
    limits+=(-max_len=1048576 -len_control=0)
  fi
  status=0
  "$fuzzer" -max_total_time="$share" -print_final_stats=1 -dict="fuzz/$target.dict" "${limits[@]}" \
    -artifact_prefix="$artifacts/$target-" "$@" "$work_corpus/$target" "fuzz/${target}_corpus" >"$log" 2>&1 ||
    status=$?
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "the fuzzer failed (exit status $status); reproduce with: $fuzzer $artifacts/$target-<crash file>" >&2
    exit "$status"
  fi
  grep -E '^(Done [0-9]+ runs|stat::number_of_executed_units|stat::average_exec_per_sec|#[0-9]+ +DONE)' "$log"
done
