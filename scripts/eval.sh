#!/usr/bin/env bash
# Scores the default configuration on the shared labelled US set (../shared/data/eval
# beside the repository), through zebparse run, and on our per-country examples
# through zeb_eval (tools/eval), which runs the plug-in's record processing in-process.
# The configuration's sources and generators are in config/rules/.
#   scripts/eval.sh                       # summary per category and per country
#   scripts/eval.sh --show-errors 50      # extra arguments go to the US scorer
#   CONFIG=my.xml scripts/eval.sh         # another configuration
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
config=${CONFIG:-config/support/addressParserMetaData.xml}
eval_dir=../shared/data/eval

[ -f "$build_dir/build.ninja" ] || cmake -S . -B "$build_dir" -G Ninja >/dev/null
cmake --build "$build_dir" --target zeb_eval zebparse zebConfigParseAddr >/dev/null
zeb_eval="$build_dir/bin/zeb_eval"
"$zeb_eval" --config "$config" --check

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if [ -f "$eval_dir/dev.jsonl" ]; then
  # The US set goes through zebparse run, as users run the plug-in; the support
  # directory is the configuration's own, with the token data beside it.
  support=$(dirname "$config")
  if [ "$(basename "$config")" != addressParserMetaData.xml ]; then
    support="$tmp/support"
    mkdir -p "$support"
    cp "$config" "$support/addressParserMetaData.xml"
    cp config/support/tokenInfo.tsv "$support/"
  fi
  python3 tools/eval/zebparse_predictions.py "$build_dir/bin/zebparse" "$support" \
    "$eval_dir/dev.jsonl" "$tmp/us.jsonl"
  python3 "$eval_dir/score.py" "$eval_dir/dev.jsonl" "$tmp/us.jsonl" --by-category "$@"
else
  echo "eval: no shared labelled data at $eval_dir; US set skipped"
fi
for gold in tests/config/data/*.jsonl; do
  [ -e "$gold" ] || continue
  python3 tests/config/run_accuracy.py --eval-bin "$zeb_eval" --config "$config" \
    --gold "$gold" --min-record 0 | tail -1
done
