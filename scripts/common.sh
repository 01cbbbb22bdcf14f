# Shared by the README's commands: where things are built and how Wine is run.
# shellcheck shell=bash

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build
deps=${CORVANE_DEPS:-$build/deps}

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installs in a prefix: there is no network to fetch them from.
export WINEDLLOVERRIDES="mscoree,mshtml="

build_native() {
  cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null &&
    cmake --build "$build/native"
}

build_windows() {
  cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
    -DCORVANE_DEPS_PREFIX="$deps/win" \
    -DCORVANE_WINE_IDL="$deps/wine-idl/usr/include/wine/wine/windows" >/dev/null &&
    cmake --build "$build/win"
}

# A fresh Wine prefix in the given folder (about ten seconds).
fresh_wine_prefix() {
  rm -rf "$1"
  WINEPREFIX="$1" xvfb-run -a sh -c 'wineboot -i >/dev/null 2>&1; wineserver -w'
}
