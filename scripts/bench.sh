#!/usr/bin/env bash
# Builds the native code optimised (no sanitizers) and runs the archive benchmark, with the
# machine's own OpenSSL Blowfish figure beside it for comparison.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_SANITIZE=OFF \
  -DCORVANE_BENCH=ON >/dev/null
cmake --build "$build/bench" --target archive_bench >/dev/null
"$build/bench/bin/archive_bench" "${1:-20}"
if command -v openssl >/dev/null; then
  echo
  echo "openssl speed, Blowfish ECB on this machine (1000s of bytes per second):"
  openssl speed -seconds 2 -provider legacy -provider default -evp bf-ecb 2>/dev/null | tail -2
fi
