#!/usr/bin/env bash
# Installs what is missing, builds both Windows configurations and runs the demo parent under
# Wine, from the test folder where the test engine stands in for the browser runtime: the shipped x86 build where this machine runs 32-bit programs under Wine, the x64 build
# otherwise.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$root/scripts/install-deps.sh"
for arch in "${windows_archs[@]}"; do
  build_windows "$arch" >/dev/null
done
x86_status=$(x86_wine_status)
if [ "$x86_status" = installed ]; then
  arch=x86
  echo "== demo: the x86 build (the shipped one)"
else
  arch=x64
  echo "== demo: the x64 build, not the shipped x86 one: $(x86_skip_reason "$x86_status")"
fi
export WINEPREFIX=$build/wineprefix-demo
[ -f "$WINEPREFIX/system.reg" ] || fresh_wine_prefix "$WINEPREFIX"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '"$1" "$2"; rc=$?; wineserver -k; exit $rc' _ \
  "$(wine_loader "$arch")" "$(windows_test_bin "$arch")/demo_parent.exe"

# The same host over a real browser: the browser engine drives a headless Chromium (installed
# with the rest where the machine can install it). The demo page is packed into an enciphered
# archive with the packer, calls the parent and two built-ins, and its screenshot is saved.
out=$build/demo
mkdir -p "$out"
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }
if start_chromium "$out"; then
  trap stop_chromium EXIT
  echo "== demo: the host over the browser engine, driving $(chromium --version 2>/dev/null)"
  rm -f "$out/demo-page.png"
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c \
    '"$1" "$2" pack "$3" demo-key "$4" && "$1" "$5" --browser "$4" demo-key "$6"; rc=$?; wineserver -k; exit $rc' _ \
    "$(wine_loader "$arch")" "$(windows_bin "$arch")/archive_packer.exe" \
    "$(windows_path "$root/tools/demo_parent/page")" "$(windows_path "$out/demo-page.dat")" \
    "$(windows_test_bin "$arch")/demo_parent.exe" "$(windows_path "$out/demo-page.png")"
  echo "the page as the browser showed it: $out/demo-page.png"
else
  echo "== demo: no run over the browser engine (the line above says why)"
fi
