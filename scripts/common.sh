# Shared by the README's commands: where things are built, the two Windows configurations and
# how Wine runs each.
# shellcheck shell=bash

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build
deps=${CORVANE_DEPS:-$build/deps}

# x86 is the shipped host; x64 is the same code for 64-bit parents and for machines whose
# kernels cannot start 32-bit programs.
windows_archs=(x86 x64)

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installs in a prefix: there is no network to fetch them from.
export WINEDLLOVERRIDES="mscoree,mshtml="

# Whether this machine starts 32-bit x86 programs. Some kernels have their 32-bit emulation
# switched off, and neither uname nor the installed packages tell: start a 32-bit program (the
# 32-bit dynamic loader from libc6-i386) and see.
loader_32bit=${CORVANE_LOADER_32BIT:-/lib/ld-linux.so.2}
can_run_32bit() {
  [ -x "$loader_32bit" ] && "$loader_32bit" --version >/dev/null 2>&1
}

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# The named packages that are not installed, one a line.
missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

# Pause between tries of a package step; a mirror in the middle of a sync serves a wrong index
# for a while, and a fetch that failed once may go through a little later.
apt_pause=${CORVANE_APT_PAUSE:-10}
apt_tries=3

# Runs a package command a few times: a mirror in the middle of a sync fails an index or a
# download now and then.
with_tries() {
  local try what="$*"
  what=${what#sudo }
  for try in $(seq 1 "$apt_tries"); do
    "$@" && return 0
    if [ "$try" -lt "$apt_tries" ]; then
      echo "${what%% -*} failed (try $try of $apt_tries); trying again in ${apt_pause} s"
      sleep "$apt_pause"
    fi
  done
  return 1
}

# apt-get update, tried a few times. After the last try the run goes on with the indexes that
# could be fetched (apt keeps the others as they were): a package those cannot supply fails its
# own install step, which says so. Returns non-zero when an index is still missing, so that a
# caller can tell a mirror's fault from its own.
apt_update() {
  with_tries "${sudo_cmd[@]}" apt-get update -q && return 0
  echo "apt-get update failed $apt_tries times; going on with the package indexes there are"
  return 1
}

# apt-get install of the named packages. Packages the indexes cannot supply fail at once (trying
# again would not help); a failed download is tried again.
apt_install() {
  if ! apt-get install -s -q --no-install-recommends "$@" >/dev/null 2>&1; then
    echo "apt-get cannot install $*: the package indexes there are do not supply it"
    return 1
  fi
  with_tries "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "$@"
}

# What the set-up made of the 32-bit Wine, one line: "installed", "no-32bit" (the kernel starts
# no 32-bit program), "mirror: WHY" (it could not be installed while some package index could not
# be fetched) or "failed: WHY" (it could not be installed although every index was there).
x86_status_file=$deps/x86-wine-status
x86_wine_status() {
  if ! can_run_32bit; then
    echo no-32bit
  elif [ -z "$(missing_packages wine32:i386)" ]; then
    echo installed
  elif [ -s "$x86_status_file" ]; then
    head -n 1 "$x86_status_file"
  else
    echo "failed: the 32-bit Wine (wine32:i386) is not installed"
  fi
}

windows_toolchain() {
  case "$1" in
    x86) echo "$root/cmake/toolchain-mingw-i686.cmake" ;;
    x64) echo "$root/cmake/toolchain-mingw-x86_64.cmake" ;;
  esac
}

# The Wine loader for programs of this architecture: the generic wine command tries the 32-bit
# loader first, which cannot start where 32-bit programs cannot.
wine_loader() {
  case "$1" in
    x86) echo /usr/lib/wine/wine ;;
    x64) echo /usr/lib/wine/wine64 ;;
  esac
}

# What ships, and the tests beside the test engine and copies of the shipped programs.
windows_bin() { echo "$build/win-$1/bin"; }
windows_test_bin() { echo "$build/win-$1/test-bin"; }

build_native() {
  cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null &&
    cmake --build "$build/native"
}

build_windows() {
  local arch=$1
  cmake -S "$root" -B "$build/win-$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$(windows_toolchain "$arch")" \
    -DCORVANE_DEPS_PREFIX="$deps/win-$arch" \
    -DCORVANE_WINE_IDL="$deps/wine-idl/usr/include/wine/wine/windows" >/dev/null &&
    cmake --build "$build/win-$arch"
}

# A fresh 64-bit Wine prefix in the given folder (about ten seconds). Where the 32-bit Wine is
# installed too, the same prefix runs both architectures, so that programs of either bitness
# share one Wine server and see each other's windows.
fresh_wine_prefix() {
  rm -rf "$1"
  WINEPREFIX="$1" xvfb-run -a sh -c '"$1" wineboot -i >/dev/null 2>&1; wineserver -w' _ \
    "$(wine_loader x64)"
}

# A headless Chromium on the loopback address for the browser engine, with a profile of its
# own under the given folder: sets CORVANE_CHROMIUM (host:port) and chromium_pid, or says why
# there is none and returns non-zero. Popups are allowed because the host, not the browser,
# decides what a page's new window becomes.
start_chromium() {
  local profile=$1/chromium-profile port_file i
  unset CORVANE_CHROMIUM
  command -v chromium >/dev/null 2>&1 || { echo "Chromium is not installed"; return 1; }
  rm -rf "$profile"
  mkdir -p "$profile"
  port_file=$profile/DevToolsActivePort
  chromium --headless=new --no-sandbox --disable-gpu --disable-dev-shm-usage \
    --disable-popup-blocking --no-first-run --no-default-browser-check --mute-audio \
    --remote-debugging-address=127.0.0.1 --remote-debugging-port=0 \
    --user-data-dir="$profile" about:blank >"$1/chromium.log" 2>&1 &
  chromium_pid=$!
  for i in $(seq 1 300); do
    if [ -s "$port_file" ] && [ "$(wc -l <"$port_file")" -ge 1 ]; then
      export CORVANE_CHROMIUM=127.0.0.1:$(head -n 1 "$port_file")
      return 0
    fi
    kill -0 "$chromium_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "Chromium did not open its debugging port; see $1/chromium.log"
  stop_chromium
  return 1
}

# Ends the browser start_chromium started: asked first, then forced after five seconds.
stop_chromium() {
  local i
  [ -n "${chromium_pid:-}" ] || return 0
  kill "$chromium_pid" 2>/dev/null || true
  for i in $(seq 1 50); do
    kill -0 "$chromium_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$chromium_pid" 2>/dev/null || true
  wait "$chromium_pid" 2>/dev/null || true
  chromium_pid=
}

# Why the x86 programs do not run here, for a status other than "installed".
x86_skip_reason() {
  case "$1" in
    no-32bit) echo "this machine cannot start 32-bit programs" ;;
    *) echo "${1#*: }" ;;
  esac
}

# Whether an x86 run that did not happen fails the test command, from the set-up's status (as
# x86_wine_status prints it) and CORVANE_X86_REQUIRED: "1" makes any skip a failure; "auto" (what
# CI sets) one where the machine starts 32-bit programs, unless the package mirror kept the
# 32-bit Wine away; anything else none.
x86_skip_fails() {
  case "$1:${2:-}" in
    installed:*) return 1 ;;
    *:1) return 0 ;;
    failed*:auto) return 0 ;;
    *) return 1 ;;
  esac
}

