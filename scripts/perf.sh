#!/usr/bin/env bash
# Prints the project's speed figures on this machine in one run:
#   - runDQM records per second on one core with trivial host services;
#   - parseAddress addresses per second on one core;
#   - zebparse run records per second end to end with the real host services,
#     on one thread and on every core, over generated typical US records, beside
#     what one-thread processes running side by side on every core do together;
#   - the same records as xml, JSON lines and CSV side by side, one thread on one
#     core, with each format's rate as a share of the xml rate;
#   - the cost of starting up: loading the plug-in and initPlugin with the default
#     configuration (zebparse run over no records).
#
#   scripts/perf.sh [RECORDS]      (default 200000 for the end-to-end runs)
set -euo pipefail
cd "$(dirname "$0")/.."
records=${1:-200000}
build_dir=${PERF_BUILD_DIR:-build-release}

cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEB_BUILD_TESTS=OFF \
  -DZEB_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build_dir" --target zebparse zebConfigParseAddr run_dqm_bench parse_address_bench >/dev/null

echo "== Google Benchmarks (one core)"
"$build_dir/bench/run_dqm_bench" --benchmark_min_time=2 2>/dev/null | grep -E '^BM_' || true
echo "parseAddress, the benchmark's own 21-rule US configuration:"
"$build_dir/bench/parse_address_bench" --benchmark_min_time=2 2>/dev/null | grep -E '^BM_' || true
echo "parseAddress, the shipped default configuration:"
ZEB_BENCH_CONFIG=config/support/addressParserMetaData.xml \
  "$build_dir/bench/parse_address_bench" --benchmark_min_time=2 2>/dev/null | grep -E '^BM_' || true

input=$(mktemp --suffix=.xml)
input_jsonl=$(mktemp --suffix=.jsonl)
input_csv=$(mktemp --suffix=.csv)
trap 'rm -f "$input" "$input_jsonl" "$input_csv"' EXIT
python3 scripts/gen_records.py "$records" --format xml >"$input"
python3 scripts/gen_records.py "$records" --format jsonl >"$input_jsonl"
python3 scripts/gen_records.py "$records" --format csv >"$input_csv"

rate() {  # rate THREADS [CPU-LIST [FORMAT FILE]]: records per second of zebparse run over
          # the input, as zebparse reports it (from the first record read; start-up is
          # measured below)
  local pin=()
  [ -n "${2:-}" ] && pin=(taskset -c "$2")
  "${pin[@]}" "$build_dir/bin/zebparse" run --format "${3:-xml}" --threads "$1" --no-progress \
    "${4:-$input}" /dev/null 2>&1 >/dev/null | sed -n 's/^zebparse: [0-9]* records, [0-9]* failed, \([0-9.]*\) records\/s$/\1/p'
}

median() {  # median of the numbers on standard input
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "== zebparse run end to end, real host services, $records typical US records"
# One core means the whole process on one CPU. This virtual machine's speed drifts
# by up to a third from one minute to the next, so the runs go in rounds close in
# time, and the script prints medians: of the rates, and of each round's ratios.
# Each round also runs two one-thread processes side by side, one per core: what
# they do together is all the machine's cores give to work that shares nothing, the
# ceiling for one process on all of them.
runs=${PERF_RUNS:-5}
cores=$(nproc)
ones=() alls=() ratios=() ceilings=() shares=()
for _ in $(seq "$runs"); do
  one=$(rate 1 0)
  all=$(rate "$cores")
  side_by_side=$(
    for ((cpu = 0; cpu < cores; ++cpu)); do rate 1 "$cpu" & done | paste -sd+ | bc -l
  )
  ones+=("$one") alls+=("$all")
  ratios+=("$(echo "$all / $one" | bc -l)")
  ceilings+=("$(echo "$side_by_side / $one" | bc -l)")
  shares+=("$(echo "100 * $all / $side_by_side" | bc -l)")
done
printf 'zebparse run, 1 thread on 1 core:   %8.0f records/s (median of %d)\n' \
  "$(printf '%s\n' "${ones[@]}" | median)" "$runs"
printf 'zebparse run, %d threads on %d cores: %8.0f records/s (%.2fx, median of the rounds)\n' \
  "$cores" "$cores" "$(printf '%s\n' "${alls[@]}" | median)" \
  "$(printf '%s\n' "${ratios[@]}" | median)"
printf '%d one-thread processes side by side:  %.2fx one alone; the %d-thread run does %.0f%% of that\n' \
  "$cores" "$(printf '%s\n' "${ceilings[@]}" | median)" "$cores" \
  "$(printf '%s\n' "${shares[@]}" | median)"

echo "== zebparse run by format, the same $records records, 1 thread on 1 core"
# Rounds again: the three formats run close in time, and each round's ratio to xml
# is taken before the medians.
xmls=() jsons=() csvs=() json_ratios=() csv_ratios=()
for _ in $(seq "$runs"); do
  x=$(rate 1 0 xml "$input")
  j=$(rate 1 0 jsonl "$input_jsonl")
  c=$(rate 1 0 csv "$input_csv")
  xmls+=("$x") jsons+=("$j") csvs+=("$c")
  json_ratios+=("$(echo "$j / $x" | bc -l)")
  csv_ratios+=("$(echo "$c / $x" | bc -l)")
done
printf 'xml:        %8.0f records/s\n' "$(printf '%s\n' "${xmls[@]}" | median)"
printf 'JSON lines: %8.0f records/s (%.2fx xml, median of the rounds)\n' \
  "$(printf '%s\n' "${jsons[@]}" | median)" "$(printf '%s\n' "${json_ratios[@]}" | median)"
printf 'CSV:        %8.0f records/s (%.2fx xml, median of the rounds)\n' \
  "$(printf '%s\n' "${csvs[@]}" | median)" "$(printf '%s\n' "${csv_ratios[@]}" | median)"

echo "== start-up: load the plug-in and initPlugin with the default configuration"
start=$(date +%s.%N)
for _ in 1 2 3 4 5 6 7 8 9 10; do
  "$build_dir/bin/zebparse" run --format xml --threads 1 --no-progress /dev/null /dev/null 2>/dev/null
done
end=$(date +%s.%N)
printf 'zebparse start-up with initPlugin: %.1f ms (mean of 10, process start included)\n' \
  "$(echo "($end - $start) * 100" | bc -l)"
