#!/usr/bin/env bash
# Installs everything the builds and tests need on a Debian 12 machine, then builds the
# third-party libraries the Windows build links statically (jsoncpp from its Debian source
# package, GoogleTest from the packaged sources). Safe to run again: finished steps are skipped.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# Everything but the 32-bit Wine, which only machines that can start 32-bit programs get.
# libc6-i386 carries the 32-bit loader that the probe starts.
packages=(build-essential pkg-config dpkg-dev cmake ninja-build g++-mingw-w64-i686
          g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev libjsoncpp-dev zlib1g-dev
          googletest libgtest-dev libgmock-dev libc6-i386 wine wine64 xvfb xauth clang
          libclang-rt-14-dev)
packages_x86=(wine32:i386)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

export DEBIAN_FRONTEND=noninteractive
if [ -n "$(missing_packages "${packages[@]}")" ]; then
  echo "== installing packages"
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${packages[@]}"
fi

# Chromium is what the browser engine's tests drive. A machine that cannot install it still
# runs everything else; those tests then say why they were skipped.
if [ -n "$(missing_packages chromium)" ]; then
  echo "== installing Chromium (for the browser engine's tests)"
  "${sudo_cmd[@]}" apt-get update -q || true
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends chromium ||
    echo "Chromium could not be installed; the browser engine's tests will be skipped"
fi

if can_run_32bit && [ -n "$(missing_packages "${packages_x86[@]}")" ]; then
  echo "== installing the 32-bit Wine (this machine starts 32-bit programs)"
  dpkg --print-foreign-architectures | grep -qx i386 || "${sudo_cmd[@]}" dpkg --add-architecture i386
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${packages_x86[@]}"
fi

mkdir -p "$deps"

# jsoncpp for the cross build comes from Debian's source package of the same version the
# native build uses. The deb-src entry is added only for the download and removed again.
fetch_jsoncpp_source() {
  local list=/etc/apt/sources.list.d/corvane-src.sources
  local main=/etc/apt/sources.list.d/debian.sources
  if [ -f "$main" ]; then
    # The first stanza of the main entry, as a source entry.
    awk 'BEGIN{RS=""; ORS="\n\n"} NR==1{sub(/Types:[^\n]*/, "Types: deb-src"); print}' "$main" \
      | "${sudo_cmd[@]}" tee "$list" >/dev/null
  else
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
      | "${sudo_cmd[@]}" tee "${list%.sources}.list" >/dev/null
  fi
  "${sudo_cmd[@]}" apt-get update -q
  (cd "$deps/src" && apt-get source -q --download-only libjsoncpp && dpkg-source -x libjsoncpp_*.dsc jsoncpp)
  "${sudo_cmd[@]}" rm -f "$list" "${list%.sources}.list"
  "${sudo_cmd[@]}" apt-get update -q || true
}

# Wine's IDL files, for compiling the type library; taken from the package without installing it.
if [ ! -f "$deps/wine-idl/usr/include/wine/wine/windows/oaidl.idl" ]; then
  echo "== unpacking Wine's IDL files"
  mkdir -p "$deps/download"
  (cd "$deps/download" && rm -f libwine-dev_*.deb && apt-get download -q libwine-dev &&
    dpkg -x libwine-dev_*.deb "$deps/wine-idl")
fi

# jsoncpp and GoogleTest for each Windows configuration, built with its own compiler.
for arch in "${windows_archs[@]}"; do
  prefix=$deps/win-$arch
  toolchain=$(windows_toolchain "$arch")
  if [ ! -f "$prefix/lib/cmake/jsoncpp/jsoncppConfig.cmake" ]; then
    echo "== building jsoncpp for Windows $arch"
    mkdir -p "$deps/src"
    [ -d "$deps/src/jsoncpp" ] || fetch_jsoncpp_source
    cmake -S "$deps/src/jsoncpp" -B "$deps/build-jsoncpp-$arch" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON \
      -DBUILD_OBJECT_LIBS=OFF -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
      -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF >/dev/null
    cmake --build "$deps/build-jsoncpp-$arch" --target install >/dev/null
  fi
  if [ ! -f "$prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "== building GoogleTest for Windows $arch"
    cmake -S /usr/src/googletest -B "$deps/build-gtest-$arch" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=OFF >/dev/null
    cmake --build "$deps/build-gtest-$arch" --target install >/dev/null
  fi
done
