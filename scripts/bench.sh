#!/usr/bin/env bash
# Benchmarks of the host's main jobs, each beside its baseline, measured in this one run on this
# machine (optional; not part of the tests):
#   ./scripts/bench.sh [archive megabytes] [round trips]
# Native: the archive's first load (with OpenSSL's Blowfish beside it) and the fuzz targets'
# speed. Under Wine: channel round trips and throughput, page calls, start-up and the log, in
# the shipped x86 build where this machine starts 32-bit programs, else in the x64 build.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$root/scripts/install-deps.sh" >/dev/null
echo "# Benchmarks"
echo
echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores;" \
  "$(uname -sr); $(wine --version 2>/dev/null || "$(wine_loader x64)" --version); $(date -u '+%Y-%m-%d %H:%M UTC')"
echo

echo "## Archive first load (native, optimised)"
echo
cmake -S "$root" -B "$build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_SANITIZE=OFF \
  -DCORVANE_BENCH=ON >/dev/null
cmake --build "$build/bench" --target archive_bench >/dev/null
echo '```'
"$build/bench/bin/archive_bench" "${1:-20}"
if command -v openssl >/dev/null; then
  echo
  echo "openssl speed, Blowfish ECB on this machine (1000s of bytes per second):"
  openssl speed -seconds 2 -provider legacy -provider default -evp bf-ecb 2>/dev/null | tail -2
fi
echo '```'
echo

echo "## Fuzz targets (inputs per second, 100000 runs from the seeds, seed 1)"
echo
if CC=clang CXX=clang++ cmake -S "$root" -B "$build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DCORVANE_FUZZ=ON >/dev/null && cmake --build "$build/fuzz" >/dev/null; then
  echo "| target | inputs/s |"
  echo "|---|---|"
  for target in message zip text crash; do
    corpus=$(mktemp -d)
    cp "$root/fuzz/corpus/$target/"* "$corpus/"
    start=$(date +%s.%N)
    "$build/fuzz/bin/fuzz_$target" -runs=100000 -seed=1 "$corpus" >/dev/null 2>&1 || true
    echo "| fuzz_$target | $(echo "100000 / ($(date +%s.%N) - $start)" | bc) |"
    rm -rf "$corpus"
  done
fi
echo

if [ "$(x86_wine_status)" = installed ]; then arch=x86; else arch=x64; fi
echo "## Host under Wine ($arch build)"
cmake -S "$root" -B "$build/win-$arch" -DCORVANE_BENCH=ON >/dev/null
build_windows "$arch" >/dev/null
export WINEPREFIX=$build/wineprefix-bench
[ -f "$WINEPREFIX/system.reg" ] || fresh_wine_prefix "$WINEPREFIX"
WINEDEBUG=-all xvfb-run -a bash -c '"$1" "$2" "$3"; rc=$?; wineserver -k; exit $rc' _ \
  "$(wine_loader "$arch")" "$(windows_test_bin "$arch")/host_bench.exe" "${2:-2000}"
