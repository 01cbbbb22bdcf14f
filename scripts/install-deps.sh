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
          libclang-rt-14-dev zip unzip)
packages_x86=(wine32:i386)

# A step that cannot be done ends the set-up, naming the step.
fail() {
  echo "setup failed at step: $1"
  exit 1
}

export DEBIAN_FRONTEND=noninteractive
# The package indexes are fetched at most once a run, when something is to be installed.
indexes=
update_once() {
  [ -n "$indexes" ] && return 0
  if apt_update; then indexes=complete; else indexes=incomplete; fi
}

if [ -n "$(missing_packages "${packages[@]}")" ]; then
  echo "== installing packages"
  update_once
  apt_install "${packages[@]}" || fail "installing the build and test packages"
fi

# Chromium is what the browser engine's tests drive. A machine that cannot install it still
# runs everything else; those tests then say why they were skipped.
if [ -n "$(missing_packages chromium)" ]; then
  echo "== installing Chromium (for the browser engine's tests)"
  update_once
  apt_install chromium ||
    echo "Chromium could not be installed; the browser engine's tests will be skipped"
fi

# The 32-bit Wine, only where the machine starts 32-bit programs. It needs the i386 indexes,
# fetched again once the architecture is added. Without it the x86 runs are skipped, and the
# status file says why.
mkdir -p "$deps"
rm -f "$x86_status_file"
if can_run_32bit && [ -n "$(missing_packages "${packages_x86[@]}")" ]; then
  echo "== installing the 32-bit Wine (this machine starts 32-bit programs)"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386 || fail "adding the i386 architecture"
    indexes=
  fi
  update_once
  if ! apt_install "${packages_x86[@]}"; then
    if [ "$indexes" = incomplete ]; then
      why="mirror: the 32-bit Wine could not be installed while some package indexes could not be fetched"
    else
      why="failed: the 32-bit Wine could not be installed although every package index was fetched"
    fi
    echo "$why" | tee "$x86_status_file"
  fi
fi

# jsoncpp for the cross build comes from Debian's source package of the same version the
# native build uses. The deb-src entry is added only for the download and removed again, also
# when the download fails.
apt_etc=${CORVANE_APT_ETC:-/etc/apt}
fetch_jsoncpp_source() {
  local list=$apt_etc/sources.list.d/corvane-src.sources
  local main=$apt_etc/sources.list.d/debian.sources
  local rc=0
  if [ -f "$main" ]; then
    # The first stanza of the main entry, as a source entry.
    awk 'BEGIN{RS=""; ORS="\n\n"} NR==1{sub(/Types:[^\n]*/, "Types: deb-src"); print}' "$main" \
      | "${sudo_cmd[@]}" tee "$list" >/dev/null
  else
    grep -E '^deb ' "$apt_etc/sources.list" | sed 's/^deb /deb-src /' \
      | "${sudo_cmd[@]}" tee "${list%.sources}.list" >/dev/null
  fi
  apt_update || true
  (cd "$deps/src" && with_tries apt-get source -q --download-only libjsoncpp &&
    dpkg-source -x libjsoncpp_*.dsc jsoncpp) || rc=1
  "${sudo_cmd[@]}" rm -f "$list" "${list%.sources}.list"
  apt_update >/dev/null || true
  return "$rc"
}

# Wine's IDL files, for compiling the type library; taken from the package without installing it.
if [ ! -f "$deps/wine-idl/usr/include/wine/wine/windows/oaidl.idl" ]; then
  echo "== unpacking Wine's IDL files"
  mkdir -p "$deps/download"
  (cd "$deps/download" && rm -f libwine-dev_*.deb && with_tries apt-get download -q libwine-dev &&
    dpkg -x libwine-dev_*.deb "$deps/wine-idl") || fail "unpacking Wine's IDL files"
fi

# jsoncpp and GoogleTest for each Windows configuration, built with its own compiler.
for arch in "${windows_archs[@]}"; do
  prefix=$deps/win-$arch
  toolchain=$(windows_toolchain "$arch")
  if [ ! -f "$prefix/lib/cmake/jsoncpp/jsoncppConfig.cmake" ]; then
    echo "== building jsoncpp for Windows $arch"
    mkdir -p "$deps/src"
    [ -d "$deps/src/jsoncpp" ] || fetch_jsoncpp_source || fail "fetching the jsoncpp source"
    cmake -S "$deps/src/jsoncpp" -B "$deps/build-jsoncpp-$arch" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON \
      -DBUILD_OBJECT_LIBS=OFF -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
      -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF >/dev/null &&
      cmake --build "$deps/build-jsoncpp-$arch" --target install >/dev/null ||
      fail "building jsoncpp for Windows $arch"
  fi
  if [ ! -f "$prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
    echo "== building GoogleTest for Windows $arch"
    cmake -S /usr/src/googletest -B "$deps/build-gtest-$arch" -G Ninja \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=OFF >/dev/null &&
      cmake --build "$deps/build-gtest-$arch" --target install >/dev/null ||
      fail "building GoogleTest for Windows $arch"
  fi
done
