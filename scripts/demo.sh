#!/usr/bin/env bash
# Installs what is missing, builds both Windows configurations and runs the demo parent under
# Wine: the shipped x86 build where this machine starts 32-bit programs, the x64 build otherwise.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$root/scripts/install-deps.sh"
for arch in "${windows_archs[@]}"; do
  build_windows "$arch" >/dev/null
done
if can_run_32bit; then
  arch=x86
  echo "== demo: the x86 build (the shipped one)"
else
  arch=x64
  echo "== demo: the x64 build (this machine cannot start 32-bit programs, so not the shipped x86 one)"
fi
export WINEPREFIX=$build/wineprefix-demo
[ -f "$WINEPREFIX/system.reg" ] || fresh_wine_prefix "$WINEPREFIX"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '"$1" "$2"; rc=$?; wineserver -k; exit $rc' _ \
  "$(wine_loader "$arch")" "$(windows_bin "$arch")/demo_parent.exe"
