#!/usr/bin/env bash
# Prints the Python package's rates (batch and one at a time) beside the C interface's
# own, on one core: bench/python_speed.py over this tree's Release libzebparse.
#   scripts/python-speed.sh [ADDRESSES]      (default 100000)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${PERF_BUILD_DIR:-build-release}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEB_BUILD_TESTS=OFF \
  -DZEB_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build_dir" --target zebparse_capi >/dev/null
python=$(command -v /usr/bin/python3 || command -v python3)
ZEBPARSE_LIBRARY="$PWD/$build_dir/lib/libzebparse.so.1" PYTHONPATH="$PWD/python" \
  PYTHONDONTWRITEBYTECODE=1 taskset -c 1 "$python" bench/python_speed.py "$@"
