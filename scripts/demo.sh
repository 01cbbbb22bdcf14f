#!/usr/bin/env bash
# Installs what is missing, builds the Windows programs and runs the demo parent under Wine.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$root/scripts/install-deps.sh"
build_windows >/dev/null
export WINEPREFIX=$build/wineprefix-demo
[ -f "$WINEPREFIX/system.reg" ] || fresh_wine_prefix "$WINEPREFIX"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c 'wine "$1"; rc=$?; wineserver -k; exit $rc' _ \
  "$build/win/bin/demo_parent.exe"
