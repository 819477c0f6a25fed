#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the tests, the benchmarks and
# the fuzzers need and the machine lacks. Safe to run again.
#   scripts/setup.sh PACKAGE...   the same for the packages named instead
set -euo pipefail

packages=("$@")
((${#packages[@]})) || packages=(
  build-essential cmake ninja-build pkg-config
  libicu-dev libxml2-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  nlohmann-json3-dev libsimdjson-dev
  clang libclang-rt-dev llvm
  python3 binutils time bc valgrind
  python3-pandas python3-pytest python3-distributed
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
