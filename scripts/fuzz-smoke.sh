#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a fixed time
# (FUZZ_SECONDS, default 30) from its seed corpus, under memory and time limits: an
# input that takes over 2 s or 512 MB is a finding just like a crash. A finding fails
# the run; its input is kept under fuzz/artifacts/<target>/ to be turned into a
# regression test. See fuzz/README.md.
#
#   FUZZ_TARGETS   the targets to run, separated by spaces (default: all)
#   FUZZ_SECONDS   seconds per target (default 30)
#   FUZZ_WORK_DIR  keep each target's growing corpus in FUZZ_WORK_DIR/<target> across
#                  runs (default: a temporary copy of the seeds, removed afterwards)
#   FUZZ_BUILD_DIR build directory (default build-fuzz)
#   FUZZ_KEEP_GOING=1  for long runs: the fuzzer runs in a child process (-fork=1) and
#                  goes on after a finding, so that one run collects all of them
#
# Each target's line ends with the CPU seconds and executions spent, the figures
# fuzz/README.md adds up per target.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
all_targets=(fuzz_record fuzz_flat_document fuzz_parser_config fuzz_condition fuzz_address
  fuzz_uri fuzz_logger_config fuzz_jsonl fuzz_csv fuzz_locality)
read -r -a targets <<<"${FUZZ_TARGETS:-${all_targets[*]}}"

# The longest input worth trying per target: a little above what its harness takes,
# or, for the record formats, room for the nesting and key counts that hurt.
max_len() {
  case "$1" in
    fuzz_record) echo 8192 ;;
    fuzz_flat_document) echo 8193 ;;
    fuzz_parser_config) echo 65536 ;;
    fuzz_condition | fuzz_uri) echo 4096 ;;
    fuzz_address) echo 8193 ;;
    fuzz_logger_config) echo 16384 ;;
    fuzz_jsonl) echo 65536 ;;
    fuzz_csv) echo 16384 ;;
    fuzz_locality) echo 4097 ;;
    *) echo 4096 ;;
  esac
}

CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DZEB_BUILD_FUZZERS=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" --target "${targets[@]}"

keep_going=()
[ "${FUZZ_KEEP_GOING:-0}" = 1 ] &&
  keep_going=(-fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1)

status=0
for target in "${targets[@]}"; do
  if [ -n "${FUZZ_WORK_DIR:-}" ]; then
    work="$FUZZ_WORK_DIR/$target"
    mkdir -p "$work"
  else
    work=$(mktemp -d)
  fi
  cp -r "fuzz/corpus/$target/." "$work/"
  log=$(mktemp)
  cpu=$(mktemp)
  mkdir -p "fuzz/artifacts/$target"
  found_before=$(find "fuzz/artifacts/$target" -type f | wc -l)
  echo "fuzz: $target for ${seconds}s"
  failed=0
  timer=()
  [ -x /usr/bin/time ] && timer=(/usr/bin/time -f '%U %S' -o "$cpu")
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 "${timer[@]}" \
    "$build_dir/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=512 -timeout=2 \
    -max_len="$(max_len "$target")" -artifact_prefix="fuzz/artifacts/$target/" \
    -print_final_stats=1 "${keep_going[@]}" "$work" >"$log" 2>&1 || failed=1
  found=$(($(find "fuzz/artifacts/$target" -type f | wc -l) - found_before))
  # Executions: the final statistics, or in fork mode the last progress line.
  runs=$(grep -oE '^stat::number_of_executed_units: [0-9]+' "$log" | grep -oE '[0-9]+$' ||
    grep -oE '^#[0-9]+' "$log" | tail -n 1 | tr -d '#' || true)
  seconds_used=$(awk 'NF >= 2 { used = $(NF-1) + $NF } END { printf "%.0f", used }' "$cpu")
  if [ "$failed" = 1 ] || [ "$found" -gt 0 ]; then
    # A finding seen before keeps its file name (a hash of the input): $found counts new ones.
    echo "fuzz: $target FAILED; the input is under fuzz/artifacts/$target/ ($found new)"
    grep -E 'ERROR: libFuzzer|SUMMARY|==ERROR|Test unit written|what\(\): ' "$log" |
      head -n 40 || true
    [ "${FUZZ_KEEP_GOING:-0}" = 1 ] || tail -n 60 "$log"
    status=1
  fi
  echo "fuzz: $target cpu ${seconds_used}s executions ${runs:-0} findings $found"
  rm -f "$log" "$cpu"
  [ -n "${FUZZ_WORK_DIR:-}" ] || rm -rf "$work"
done
exit $status
