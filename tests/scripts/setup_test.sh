#!/usr/bin/env bash
# The set-up's fault paths against stand-in package tools on PATH: an apt-get whose index
# fetches and installs fail on request, and a dpkg database of our choosing. Nothing is installed
# or changed outside a temporary folder. Writes a GoogleTest-style report to the file named by
# the first argument and exits non-zero on a failure.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
report=${1:-/dev/null}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fake=$work/bin
mkdir -p "$fake"

# apt-get: "update" fails while the file update-fails holds a number above 0 (counting it down;
# "always" never stops failing); "install" fails for a package listed in install-fails (one the
# indexes do not supply: its simulation fails too) or download-fails (its download fails) and
# records the others in the dpkg database; "source" and "download" fail when their name is in
# fetch-fails. Every call is appended to calls.
cat >"$fake/apt-get" <<'EOF'
#!/usr/bin/env bash
state=$FAKE_STATE
echo "apt-get $*" >>"$state/calls"
case "$1" in
  update)
    n=$(cat "$state/update-fails" 2>/dev/null || echo 0)
    [ "$n" = always ] && { echo "E: File has unexpected size. Mirror sync in progress?"; exit 100; }
    [ "$n" -gt 0 ] && { echo $((n - 1)) >"$state/update-fails"; echo "E: Mirror sync in progress?"; exit 100; }
    exit 0 ;;
  install)
    shift
    simulate=0
    for p in "$@"; do [ "$p" = -s ] && simulate=1; done
    for p in "$@"; do
      case "$p" in -*) continue ;; esac
      grep -qx "$p" "$state/install-fails" 2>/dev/null && { echo "E: Unable to locate $p"; exit 100; }
      [ "$simulate" = 0 ] && grep -qx "$p" "$state/download-fails" 2>/dev/null && { echo "E: Failed to fetch $p"; exit 100; }
    done
    [ "$simulate" = 1 ] && exit 0
    for p in "$@"; do case "$p" in -*) ;; *) echo "$p" >>"$state/installed" ;; esac; done
    exit 0 ;;
  source | download)
    for p in "$@"; do grep -qx "$p" "$state/fetch-fails" 2>/dev/null && exit 100; done
    exit 0 ;;
esac
exit 0
EOF
cat >"$fake/dpkg-query" <<'EOF'
#!/usr/bin/env bash
p=${!#}
grep -qx "$p" "$FAKE_STATE/installed" 2>/dev/null && { echo "install ok installed"; exit 0; }
exit 1
EOF
cat >"$fake/dpkg" <<'EOF'
#!/usr/bin/env bash
case "$1" in
  --print-foreign-architectures) cat "$FAKE_STATE/archs" 2>/dev/null ;;
  --add-architecture) echo "$2" >>"$FAKE_STATE/archs" ;;
esac
exit 0
EOF
printf '#!/bin/sh\nexec "$@"\n' >"$fake/sudo"
chmod +x "$fake"/*

source "$(dirname "${BASH_SOURCE[0]}")/report.sh"

# A fresh stand-in machine: every package of the set-up installed but those named, the deps
# folder finished but for what the test removes, and an apt configuration of its own.
packages_all="build-essential pkg-config dpkg-dev cmake ninja-build g++-mingw-w64-i686
  g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev libjsoncpp-dev zlib1g-dev googletest
  libgtest-dev libgmock-dev libc6-i386 wine wine64 xvfb xauth clang libclang-rt-14-dev chromium
  wine32:i386"
machine() {
  local state=$work/state-$1 p
  shift
  rm -rf "$state"
  mkdir -p "$state/deps/wine-idl/usr/include/wine/wine/windows" "$state/deps/src/jsoncpp" \
    "$state/etc/sources.list.d"
  : >"$state/installed"
  for p in $packages_all; do
    case " $* " in *" $p "*) ;; *) echo "$p" >>"$state/installed" ;; esac
  done
  touch "$state/deps/wine-idl/usr/include/wine/wine/windows/oaidl.idl"
  for arch in x86 x64; do
    mkdir -p "$state/deps/win-$arch/lib/cmake/jsoncpp" "$state/deps/win-$arch/lib/cmake/GTest"
    touch "$state/deps/win-$arch/lib/cmake/jsoncpp/jsoncppConfig.cmake" \
      "$state/deps/win-$arch/lib/cmake/GTest/GTestConfig.cmake"
  done
  printf 'Types: deb\nURIs: http://mirror.invalid/debian\nSuites: bookworm\nComponents: main\n' \
    >"$state/etc/sources.list.d/debian.sources"
  echo "$state"
}

# Runs install-deps.sh on a stand-in machine; 32-bit programs start when run32 is "yes".
install_on() {  # install_on STATE RUN32 -> output in STATE/out, exit code returned
  local loader=/bin/false
  [ "$2" = yes ] && loader=/bin/true
  FAKE_STATE=$1 PATH="$fake:$PATH" CORVANE_DEPS=$1/deps CORVANE_APT_ETC=$1/etc \
    CORVANE_APT_PAUSE=0 CORVANE_LOADER_32BIT=$loader \
    "$root/scripts/install-deps.sh" >"$1/out" 2>&1
}

status_on() {  # the x86 status the test command would read on that stand-in machine
  local loader=/bin/false
  [ "$2" = yes ] && loader=/bin/true
  (export FAKE_STATE=$1 PATH="$fake:$PATH" CORVANE_DEPS=$1/deps CORVANE_LOADER_32BIT=$loader
   source "$root/scripts/common.sh" && x86_wine_status)
}

count() {
  local n
  n=$(grep -c -- "$2" "$1" 2>/dev/null)
  echo "${n:-0}"
}

apt_update_on() {  # runs common.sh's apt_update on a stand-in machine
  (export FAKE_STATE=$1 PATH="$fake:$PATH" CORVANE_APT_PAUSE=0
   source "$root/scripts/common.sh" && apt_update) >"$1/out" 2>&1
}

# apt_update: tries again after a failure, and after the last try goes on, saying so.
s=$(machine update)
echo 2 >"$s/update-fails"
apt_update_on "$s"
rc=$?
check UpdateSucceedsOnTheThirdTry "rc=$rc, $(count "$s/calls" 'apt-get update') updates" \
  $([ "$rc" -eq 0 ] && [ "$(count "$s/calls" 'apt-get update')" -eq 3 ]; echo $?)
echo always >"$s/update-fails"
: >"$s/calls"
apt_update_on "$s"
rc=$?
check UpdateGivesUpAfterThreeTriesAndSaysSo "rc=$rc, $(count "$s/calls" 'apt-get update') updates" \
  $([ "$rc" -ne 0 ] && [ "$(count "$s/calls" 'apt-get update')" -eq 3 ] &&
    grep -q "going on with the package indexes there are" "$s/out"; echo $?)

# A mirror whose i386 index cannot be fetched: the 32-bit Wine is not installed, the rest is,
# the set-up succeeds and the status says the mirror kept it away.
s=$(machine mirror chromium wine32:i386)
echo always >"$s/update-fails"
echo "wine32:i386" >"$s/install-fails"
install_on "$s" yes
rc=$?
st=$(status_on "$s" yes)
check MirrorWithoutI386IndexSkipsOnlyTheX86Wine "rc=$rc, status '$st', $(tail -n 3 "$s/out" | tr '\n' ' ')" \
  $([ "$rc" -eq 0 ] && grep -qx chromium "$s/installed" && [ "${st%%:*}" = mirror ] &&
    grep -qx i386 "$s/archs"; echo $?)
# Where the indexes were all there, the same refusal is the set-up's own failure.
s=$(machine refused wine32:i386)
echo "wine32:i386" >"$s/install-fails"
install_on "$s" yes
rc=$?
st=$(status_on "$s" yes)
check X86WineRefusedWithCompleteIndexesIsAFailureStatus "rc=$rc, status '$st'" \
  $([ "$rc" -eq 0 ] && [ "${st%%:*}" = failed ]; echo $?)
# No 32-bit Wine is asked for where 32-bit programs cannot start.
s=$(machine no32 wine32:i386)
install_on "$s" no
rc=$?
st=$(status_on "$s" no)
check No32BitMachineAsksForNoX86Wine "rc=$rc, status '$st'" \
  $([ "$rc" -eq 0 ] && [ "$st" = no-32bit ] && [ "$(count "$s/calls" 'wine32')" -eq 0 ]; echo $?)

# A build package whose download keeps failing ends the set-up, naming the step, after three
# tries; one the indexes do not supply fails at once.
s=$(machine packages cmake)
echo cmake >"$s/download-fails"
install_on "$s" no
rc=$?
check MissingBuildPackageNamesTheFailedStep "rc=$rc, $(tail -n 1 "$s/out")" \
  $([ "$rc" -ne 0 ] && grep -qx "setup failed at step: installing the build and test packages" "$s/out" &&
    [ "$(count "$s/calls" 'apt-get install -y')" -eq 3 ]; echo $?)
s=$(machine unsupplied cmake)
echo cmake >"$s/install-fails"
install_on "$s" no
rc=$?
check UnsuppliedPackageIsNotTriedAgain "rc=$rc, $(count "$s/calls" 'apt-get install -y') installs" \
  $([ "$rc" -ne 0 ] && [ "$(count "$s/calls" 'apt-get install -y')" -eq 0 ]; echo $?)

# The jsoncpp source download under a failing mirror: the set-up names the step, and the
# temporary source entry is gone while the machine's own is kept.
s=$(machine jsoncpp)
rm -rf "$s/deps/src/jsoncpp" "$s/deps/win-x86/lib/cmake/jsoncpp"
echo always >"$s/update-fails"
echo libjsoncpp >"$s/fetch-fails"
install_on "$s" no
rc=$?
check JsoncppSourceFailureRemovesItsSourceEntry "rc=$rc, $(ls "$s/etc/sources.list.d" | tr '\n' ' ')" \
  $([ "$rc" -ne 0 ] && grep -qx "setup failed at step: fetching the jsoncpp source" "$s/out" &&
    [ ! -e "$s/etc/sources.list.d/corvane-src.sources" ] &&
    [ -f "$s/etc/sources.list.d/debian.sources" ] &&
    [ "$(count "$s/calls" 'apt-get source')" -eq 3 ]; echo $?)

# Which x86 skips fail the test command, by status and CORVANE_X86_REQUIRED.
ok=0
while read -r st required want; do
  [ "$required" = - ] && required=
  if (source "$root/scripts/common.sh" && x86_skip_fails "$st" "$required"); then got=fail; else got=pass; fi
  [ "$got" = "$want" ] || { ok=1; echo "x86_skip_fails '$st' '$required': $got, not $want"; }
done <<'EOF'
installed 1 pass
installed auto pass
no-32bit - pass
no-32bit auto pass
no-32bit 1 fail
mirror:x auto pass
mirror:x 1 fail
failed:x - pass
failed:x auto fail
failed:x 1 fail
EOF
check X86SkipFailsOnlyWhereAsked "see the lines above" "$ok"

write_report "$report" Setup
echo "set-up script tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
