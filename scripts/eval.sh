#!/usr/bin/env bash
# Builds zeb_eval and scores the default configuration on the shared labelled US set
# (../shared/data/eval beside the repository) and on our per-country examples.
#   scripts/eval.sh                       # summary per category and per country
#   scripts/eval.sh --show-errors 50      # extra arguments go to the US scorer
#   CONFIG=my.xml scripts/eval.sh         # another configuration
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
config=${CONFIG:-config/support/addressParserMetaData.xml}
eval_dir=../shared/data/eval

[ -f "$build_dir/build.ninja" ] || cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --target zeb_eval >/dev/null
zeb_eval="$build_dir/bin/zeb_eval"
"$zeb_eval" --config "$config" --check

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if [ -f "$eval_dir/dev.jsonl" ]; then
  "$zeb_eval" --config "$config" --input "$eval_dir/dev.jsonl" --output "$tmp/us.jsonl"
  python3 "$eval_dir/score.py" "$eval_dir/dev.jsonl" "$tmp/us.jsonl" --by-category "$@"
else
  echo "eval: no shared labelled data at $eval_dir; US set skipped"
fi
for gold in tests/config/data/*.jsonl; do
  [ -e "$gold" ] || continue
  python3 tests/config/run_accuracy.py --eval-bin "$zeb_eval" --config "$config" \
    --gold "$gold" --min-record 0 | tail -1
done
