#!/usr/bin/env bash
# The quick start: installs what the build needs, builds, and runs the bundled
# sample records through the plug-in with zebparse. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh

build_dir=${BUILD_DIR:-build}
result=$(mktemp "${TMPDIR:-/tmp}/zebparse-demo.XXXXXX.jsonl")
summary=$(mktemp "${TMPDIR:-/tmp}/zebparse-demo.XXXXXX.log")
trap 'rm -f "$result" "$summary"' EXIT

echo "== zebparse run --format jsonl config/sample/records.jsonl"
status=0
"$build_dir/bin/zebparse" run --format jsonl --no-progress config/sample/records.jsonl \
  >"$result" 2>"$summary" || status=$?

echo "== first results:"
head -n 5 "$result"
echo "== summary:"
cat "$summary"
if [ "$status" -ne 0 ]; then
  echo "demo: zebparse exited with status $status" >&2
  exit "$status"
fi
