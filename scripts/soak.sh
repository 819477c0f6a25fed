#!/usr/bin/env bash
# Streams COUNT generated records (default 1,000,000) through `zebparse run` with all
# threads and reports throughput and peak memory. Memory must stay flat: the run is
# repeated at a tenth of the count and the two peaks are compared.
#
#   scripts/soak.sh [COUNT]
#   SOAK_LEAKCHECK=1 scripts/soak.sh 20000   # also run once under valgrind memcheck
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000000}
zebparse=${ZEBPARSE:-build/bin/zebparse}
[ -x "$zebparse" ] || { echo "soak: build first (scripts/build.sh)"; exit 2; }
command -v /usr/bin/time >/dev/null || { echo "soak: needs /usr/bin/time (package time)"; exit 2; }

run() {  # run COUNT: prints "records seconds peak_kib"
  local n=$1 log
  log=$(mktemp)
  python3 scripts/gen_records.py "$n" --format xml |
    /usr/bin/time -f '%e %M' -o "$log" "$zebparse" run --format xml --no-progress - /dev/null
  read -r seconds peak <"$log"
  rm -f "$log"
  echo "$n $seconds $peak"
}

small=$((count / 10))
read -r n1 s1 m1 < <(run "$small")
read -r n2 s2 m2 < <(run "$count")
printf 'soak: %d records in %ss, peak %d KiB\n' "$n1" "$s1" "$m1"
printf 'soak: %d records in %ss, peak %d KiB (%.0f records/s including generation)\n' \
  "$n2" "$s2" "$m2" "$(echo "$n2 / $s2" | bc -l)"
limit=$((64 * 1024))
growth=$((m2 - m1))
status=0
if [ "$m2" -gt "$limit" ]; then echo "soak: FAIL peak above 64 MiB"; status=1; fi
if [ "$growth" -gt 4096 ]; then echo "soak: FAIL memory grew by $growth KiB with 10x the records"; status=1; fi
[ $status -eq 0 ] && echo "soak: memory flat (growth ${growth} KiB) and below 64 MiB"

if [ "${SOAK_LEAKCHECK:-0}" = 1 ]; then
  python3 scripts/gen_records.py "$small" --format xml >/tmp/zeb-soak-leak.xml
  valgrind --leak-check=full --errors-for-leak-kinds=definite --error-exitcode=3 \
    "$zebparse" run --format xml --threads 2 --no-progress /tmp/zeb-soak-leak.xml /dev/null \
    2>&1 | tail -n 15 || status=1
fi
exit $status
