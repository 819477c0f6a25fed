#!/usr/bin/env bash
# Cross-builds the plug-in for 64-bit Windows with mingw-w64 and tests it under wine:
#   1. the dependencies, built once and cached (scripts/windows-deps.sh);
#   2. zebConfigParseAddr.dll, zebparse.exe and the test programs, in BUILD_DIR;
#   3. the DLL exports exactly initPlugin, runDQM, getVersion and closePlugin, and
#      needs no DLL but the system's own;
#   4. the unit tests run under wine64, less those that do not apply on Windows
#      (listed by name, with their reasons, in cmake/windows.cmake); the plug-in's
#      tests load the DLL with LoadLibraryW and drive its four entry points;
#   5. zebparse.exe run on the bundled sample records gives, byte for byte, what the
#      Linux build's zebparse gives (built first when missing).
#
#   scripts/build-windows.sh            all of the above
#   scripts/build-windows.sh --if-cached  all of the above when the dependencies are
#                                       cached, otherwise only --check (CI)
#   scripts/build-windows.sh --check    compiles the Windows side of the platform layer
#                                       alone: needs only the cross compiler
#
#   BUILD_DIR        the Windows build (default build-windows)
#   LINUX_BUILD_DIR  the Linux build to compare with (default build)
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build-windows}
linux_build_dir=${LINUX_BUILD_DIR:-build}
host=x86_64-w64-mingw32
wine=/usr/lib/wine/wine64
mode=${1:-all}

need() { scripts/setup.sh "$@"; }

# The Windows side of the platform layer and the sources around it that need neither
# ICU nor libxml2 (the common helpers, logging, plug-in loading), compiled for Windows
# without the dependencies: the rest is the same on both systems.
check_sources() {
  need g++-mingw-w64-x86-64-posix
  local sources=()
  for f in src/common/*.cc src/logcore/*.cc src/logging/*.cc src/host/plugin_library.cc; do
    [ "$f" = src/common/os_posix.cc ] && continue
    grep -qE '#include (<unicode/|<libxml/|"common/(ustring|terminal_text)\.h")' "$f" && continue
    sources+=("$f")
  done
  echo "== Windows sources compile (${#sources[@]} files, src/common/os_windows.cc among them)"
  for f in "${sources[@]}"; do
    $host-g++-posix -std=c++20 -fsyntax-only -D__USE_MINGW_ANSI_STDIO=1 -Wall -Wextra \
      -Wpedantic -Wshadow -Wno-unused-parameter -Werror -Isrc "$f"
  done
}

case "$mode" in
  --check)
    check_sources
    exit 0
    ;;
  --if-cached)
    if ! scripts/windows-deps.sh --cached >/dev/null 2>&1; then
      echo "build-windows: the Windows dependencies are not cached (scripts/windows-deps.sh" \
        "builds them once, in about ten minutes); checking the sources only"
      check_sources
      exit 0
    fi
    ;;
  all) ;;
  -h | --help)
    sed -n '2,/^set -euo/p' "$0" | sed -e '$d' -e 's/^# \{0,1\}//'
    exit 0
    ;;
  *)
    echo "build-windows: unknown option [$mode] (try --help)" >&2
    exit 2
    ;;
esac

need g++-mingw-w64-x86-64-posix wine64 cmake ninja-build
# Test discovery runs the test programs under wine too; its own diagnostics are noise.
export WINEDEBUG=-all
deps=$(scripts/windows-deps.sh | tail -n 1)

echo "== Windows build ($build_dir)"
cmake --no-warn-unused-cli -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  "-DZEB_WINDOWS_DEPS=$deps" -DZEB_BUILD_BENCHMARKS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build_dir" -j"$(nproc)"

echo "== the DLL's exports and imports"
dump=$($host-objdump -p "$build_dir/bin/zebConfigParseAddr.dll")
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" | sed 1d |
  grep -oE '\] [A-Za-z_][A-Za-z0-9_]*$' | cut -c3- | sort | tr '\n' ' ')
if [ "$exports" != "closePlugin getVersion initPlugin runDQM " ]; then
  echo "build-windows: the DLL exports [$exports], not exactly the four entry points" >&2
  exit 1
fi
imports=$(grep -oE 'DLL Name: .*' <<<"$dump" | cut -d' ' -f3 | sort -u | tr '\n' ' ')
echo "exports: $exports"
echo "imports: $imports"
for dll in $imports; do
  case "${dll,,}" in
    kernel32.dll | advapi32.dll | msvcrt.dll | user32.dll | ws2_32.dll | api-ms-win-*) ;;
    *)
      echo "build-windows: the DLL needs $dll, which Windows does not bring" >&2
      exit 1
      ;;
  esac
done

echo "== unit tests under wine"
# One process per test program: wine starts slowly, so the programs run whole rather
# than a test at a time as ctest would.
skipped=$(cat "$build_dir/windows-skipped-tests.txt")
failed=0
for test in "$build_dir"/tests/*_test.exe; do
  log=$(mktemp)
  if (cd "$build_dir/tests" && "$wine" "$(basename "$test")" --gtest_filter="-$skipped" \
    --gtest_brief=1) >"$log" 2>&1; then
    echo "$(basename "$test"): $(grep -E '^\[  PASSED  \]' "$log" || echo passed)"
  else
    echo "$(basename "$test"): FAILED"
    cat "$log"
    failed=1
  fi
  rm -f "$log"
done
[ "$failed" = 0 ] || exit 1

echo "== zebparse.exe against the Linux build on the bundled sample"
# The Windows run reads the sample under a name outside the ANSI code page, and parses
# an accented address given as an argument: both reach zebparse as UTF-8.
[ -x "$linux_build_dir/bin/zebparse" ] || BUILD_DIR=$linux_build_dir scripts/build.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for format in jsonl xml; do
  sample=config/sample/records.$format
  "$linux_build_dir/bin/zebparse" run --format "$format" --no-progress "$sample" \
    >"$work/linux.$format" 2>/dev/null
  cp "$sample" "$work/échantillon-Ωμέγα.$format"
  "$wine" "$build_dir/bin/zebparse.exe" run --format "$format" --no-progress \
    "$work/échantillon-Ωμέγα.$format" >"$work/windows.$format" 2>/dev/null
  if ! cmp -s "$work/linux.$format" "$work/windows.$format"; then
    echo "build-windows: zebparse.exe's $format output differs from Linux's" >&2
    diff "$work/linux.$format" "$work/windows.$format" | head -n 20 >&2
    exit 1
  fi
  echo "$format: $(wc -l <"$work/windows.$format") records, byte-identical"
done
address="41 Rue Émile Zola, 45000 Orléans"
"$linux_build_dir/bin/zebparse" parse --country FR --json "$address" >"$work/linux.parse"
"$wine" "$build_dir/bin/zebparse.exe" parse --country FR --json "$address" >"$work/windows.parse"
if ! cmp -s "$work/linux.parse" "$work/windows.parse"; then
  echo "build-windows: zebparse.exe parses [$address] differently from Linux" >&2
  diff "$work/linux.parse" "$work/windows.parse" | head -n 20 >&2
  exit 1
fi
echo "parse: an accented argument, byte-identical"
echo "build-windows: all passed"
