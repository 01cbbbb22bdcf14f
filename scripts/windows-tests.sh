#!/usr/bin/env bash
# Runs Windows test programs under Wine, inside the X server and Wine prefix that the test
# command set up, from the current folder (where the reports land). Each argument is one run:
#   ARCH            every test program of that architecture
#   ARCH:HOST_ARCH  the host suites of ARCH's windows_tests, driving the HOST_ARCH host
# Appends "name exit-code" to exit-codes for each program run.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# The suites that start the host.
host_suites='HostLink.*:HostEngine.*:ScriptBridge.*:Archives.*:Cookies.*:Lifecycle.*:MixedBitness.*'

for run in "$@"; do
  arch=${run%%:*}
  host_arch=${run#*:}
  [ "$host_arch" != "$run" ] || host_arch=
  loader=$(wine_loader "$arch")
  for t in "$(windows_test_bin "$arch")"/*_tests.exe; do
    if [ -n "$host_arch" ]; then
      [ "$(basename "$t")" = windows_tests.exe ] || continue
      name=mixed-$arch-parent-$host_arch-host
      host=Z:$(windows_test_bin "$host_arch")/Corvane.exe
      CORVANE_TEST_HOST=${host//\//\\} CORVANE_TEST_HOST_ARCH=$host_arch \
        timeout 900 "$loader" "$t" --gtest_filter="$host_suites" \
        --gtest_output="xml:$name.xml" >"$name.log" 2>&1
    else
      name=win-$arch-$(basename "$t" .exe)
      timeout 900 "$loader" "$t" --gtest_output="xml:$name.xml" >"$name.log" 2>&1
    fi
    echo "$name $?" >>exit-codes
    echo "$name: $(grep -E '^\[  (PASSED|FAILED)  \]' "$name.log" | tail -n 1)"
  done
done
wineserver -k
