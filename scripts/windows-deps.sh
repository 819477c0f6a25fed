#!/usr/bin/env bash
# Builds the Windows build's dependencies for 64-bit Windows (mingw-w64, POSIX
# threads) from Debian's own source packages, the same versions as the Linux build's:
# ICU and libxml2 as static libraries, then simdjson and GoogleTest, and the
# header-only nlohmann-json copied beside them. Debian ships no mingw builds of any.
#
# The first run takes about ten minutes (ICU's cross build needs a native ICU build
# for its data tools); the results are kept under ZEB_WINDOWS_DEPS_CACHE (default
# ~/.cache/zeb-windows), keyed by their versions, and later runs reuse them at once.
# Prints the two install prefixes, separated by ";" (a CMake list), on its last line.
#
#   scripts/windows-deps.sh --cached   prints them only when already built, else fails
#
#   ZEB_WINDOWS_DEPS_CACHE  where the built libraries are kept
#   ZEB_WINDOWS_DEPS_JOBS   parallel jobs for make (default: 2)
set -euo pipefail
cd "$(dirname "$0")/.."

cache=${ZEB_WINDOWS_DEPS_CACHE:-$HOME/.cache/zeb-windows}
jobs=${ZEB_WINDOWS_DEPS_JOBS:-2}
host=x86_64-w64-mingw32

source_version() { dpkg-query -W -f='${source:Version}' "$1"; }
icu_version=$(source_version libicu-dev)
xml_version=$(source_version libxml2-dev)
simdjson_version=$(source_version libsimdjson-dev)
gtest_version=$(source_version libgtest-dev)
json_version=$(source_version nlohmann-json3-dev)
prefix="$cache/icu-$icu_version-libxml2-$xml_version"
extras="$cache/simdjson-$simdjson_version-gtest-$gtest_version-json-$json_version"
if [ -f "$prefix/.complete" ] && [ -f "$extras/.complete" ]; then
  echo "$prefix;$extras"
  exit 0
fi
# --cached: only tell whether they are built.
[ "${1:-}" != --cached ] || exit 1

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

# The cross compilers, and what unpacking and rebuilding Debian's sources takes
# (libxml2's patched sources regenerate their makefiles).
packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix dpkg-dev automake autoconf libtool
  cmake ninja-build libgtest-dev nlohmann-json3-dev libsimdjson-dev)
scripts/setup.sh "${packages[@]}" >&2

# apt-get source needs a deb-src entry for the release the binaries came from.
if ! apt-get source --print-uris -qq icu="$icu_version" >/dev/null 2>&1; then
  echo "windows-deps: adding a deb-src entry for Debian's source packages" >&2
  sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
    "${as_root[@]}" tee /etc/apt/sources.list.d/zeb-deb-src.sources >/dev/null
  "${as_root[@]}" apt-get update -qq
fi

build_icu_and_libxml2() {
  # The build trees stay until everything is installed, so that a run that stops
  # half-way resumes where it stopped (make builds only what is missing).
  work="$prefix.build"
  mkdir -p "$work"
  cd "$work"
  if ! ls -d icu-*/ libxml2-*/ >/dev/null 2>&1; then
    echo "windows-deps: fetching icu $icu_version and libxml2 $xml_version sources" >&2
    apt-get source -qq icu="$icu_version" libxml2="$xml_version" >/dev/null
  fi
  icu_src=$(echo "$work"/icu-*/)
  xml_src=$(echo "$work"/libxml2-*/)

  staging="$prefix.partial"
  rm -rf "$staging"
  # ICU installs its data library into bin/ on Windows, which it does not create
  # itself when its tools are left out.
  mkdir -p "$staging/bin" "$staging/lib"

  echo "windows-deps: ICU, native build for its tools" >&2
  mkdir -p icu-native
  (cd icu-native && { [ -f Makefile ] || "$icu_src/source/configure" --disable-tests --disable-samples --disable-extras \
    >/dev/null; } && make -j"$jobs" >/dev/null)

  echo "windows-deps: ICU for Windows" >&2
  mkdir -p icu-windows
  (cd icu-windows &&
    { [ -f Makefile ] || CC=$host-gcc-posix CXX=$host-g++-posix "$icu_src/source/configure" \
      --host=$host --with-cross-build="$work/icu-native" --enable-static --disable-shared \
      --disable-tools --disable-tests --disable-samples --disable-extras --prefix="$staging" \
      >/dev/null; } &&
    make -j"$jobs" >/dev/null && make install >/dev/null)
  mv "$staging/bin/sicudt.a" "$staging/lib/"

  echo "windows-deps: libxml2 for Windows" >&2
  [ -f "$xml_src/.zeb-autoreconf" ] ||
    (cd "$xml_src" && autoreconf -fi >/dev/null 2>&1 && touch .zeb-autoreconf)
  mkdir -p xml-windows
  (cd xml-windows &&
    CC=$host-gcc-posix "$xml_src/configure" --host=$host --prefix="$staging" --enable-static \
      --disable-shared --without-python --without-zlib --without-lzma --without-iconv \
      --without-icu --without-http --without-ftp --without-debug >/dev/null &&
    make -j"$jobs" >/dev/null && make install >/dev/null)

  # pkg-config files and xml2-config name the prefix they were installed into.
  grep -rlF "$staging" "$staging/lib/pkgconfig" "$staging/bin" 2>/dev/null |
    xargs -r sed -i "s|$staging|$prefix|g"
  touch "$staging/.complete"
  rm -rf "$prefix"
  mv "$staging" "$prefix"
  cd /
  rm -rf "$work"
}

# simdjson from its source package; GoogleTest from the sources libgtest-dev ships;
# nlohmann-json is headers and a CMake package, the same for every target.
build_extras() {
  local work="$extras.build" staging="$extras.partial"
  mkdir -p "$work"
  cd "$work"
  ls -d simdjson-*/ >/dev/null 2>&1 ||
    apt-get source -qq simdjson="$simdjson_version" >/dev/null 2>&1
  rm -rf "$staging"
  local toolchain=("-DCMAKE_TOOLCHAIN_FILE=$repo/cmake/mingw-w64-x86_64.cmake"
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF "-DCMAKE_INSTALL_PREFIX=$staging")
  echo "windows-deps: simdjson and GoogleTest for Windows" >&2
  cmake -S "$(echo "$work"/simdjson-*/)" -B simdjson -G Ninja "${toolchain[@]}" >/dev/null
  cmake --build simdjson -j"$jobs" >/dev/null && cmake --install simdjson >/dev/null
  cmake -S /usr/src/googletest -B googletest -G Ninja "${toolchain[@]}" -DBUILD_GMOCK=OFF \
    >/dev/null
  cmake --build googletest -j"$jobs" >/dev/null && cmake --install googletest >/dev/null
  mkdir -p "$staging/include" "$staging/share/cmake"
  cp -r /usr/include/nlohmann "$staging/include/"
  cp -r /usr/share/cmake/nlohmann_json "$staging/share/cmake/"
  touch "$staging/.complete"
  rm -rf "$extras"
  mv "$staging" "$extras"
  cd /
  rm -rf "$work"
}

repo=$(pwd)
[ -f "$prefix/.complete" ] || build_icu_and_libxml2
cd "$repo"
[ -f "$extras/.complete" ] || build_extras
echo "$prefix;$extras"
