#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a short, fixed time
# (FUZZ_SECONDS, default 30) from its seed corpus. A crash fails the run; its input
# is kept under fuzz/artifacts/<target>/ to be turned into a regression test.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
targets=(fuzz_record fuzz_flat_document fuzz_parser_config fuzz_condition fuzz_address fuzz_uri
  fuzz_logger_config)

CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja -DZEB_BUILD_FUZZERS=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir" --target "${targets[@]}"

status=0
for target in "${targets[@]}"; do
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$target/." "$work/"
  mkdir -p "fuzz/artifacts/$target"
  echo "fuzz: $target for ${seconds}s"
  if ! ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 \
      "$build_dir/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=4096 \
      -artifact_prefix="fuzz/artifacts/$target/" -print_final_stats=1 "$work" \
      >"$work.log" 2>&1; then
    echo "fuzz: $target FAILED; input saved under fuzz/artifacts/$target/"
    tail -n 60 "$work.log"
    status=1
  else
    grep -E '^stat::number_of_executed_units' "$work.log" || true
  fi
  rm -rf "$work" "$work.log"
done
exit $status
