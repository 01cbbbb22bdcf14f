#!/usr/bin/env bash
# Installs what is missing, builds both configurations and runs every test: the portable unit
# tests natively under the sanitizers, short fuzz runs over the readers of outside bytes, then
# the same unit tests and the Windows tests under Wine.
# Ends with "N passed, N failed" and exits non-zero on any failure.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$root/scripts/install-deps.sh" || { echo "0 passed, 1 failed"; exit 1; }

echo "== native build"
build_native || { echo "0 passed, 1 failed"; exit 1; }
echo "== Windows build"
build_windows || { echo "0 passed, 1 failed"; exit 1; }

results=$build/test-results
rm -rf "$results"
mkdir -p "$results"
: >"$results/exit-codes"

echo "== native tests"
for t in "$build"/native/bin/*_tests; do
  name=native-$(basename "$t")
  timeout 900 "$t" --gtest_output="xml:$results/$name.xml" >"$results/$name.log" 2>&1
  rc=$?
  echo "$name $rc" >>"$results/exit-codes"
  tail -n 3 "$results/$name.log"
done

echo "== fuzz smoke runs"
: >"$results/fuzz-codes"
if CC=clang CXX=clang++ cmake -S "$root" -B "$build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
     -DCORVANE_FUZZ=ON >/dev/null && cmake --build "$build/fuzz" >/dev/null; then
  for target in message zip text; do
    corpus=$results/corpus-$target
    mkdir -p "$corpus" && cp "$root/fuzz/corpus/$target/"* "$corpus/"
    timeout 600 "$build/fuzz/bin/fuzz_$target" -runs=200000 -rss_limit_mb=2048 "$corpus" \
      >"$results/fuzz-$target.log" 2>&1
    rc=$?
    echo "fuzz_$target $rc" >>"$results/fuzz-codes"
    echo "fuzz_$target: $(tail -n 1 "$results/fuzz-$target.log") (exit $rc)"
  done
else
  echo "fuzz_build 1" >>"$results/fuzz-codes"
fi

echo "== Windows tests under Wine"
export WINEPREFIX=$build/wineprefix-test
fresh_wine_prefix "$WINEPREFIX"
# One X server and one wineserver for the whole run; each test program is run from the
# results folder so that its report lands there.
(cd "$results" && xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  for t in "$1"/*_tests.exe; do
    name=win-$(basename "$t" .exe)
    timeout 900 wine "$t" --gtest_output="xml:$name.xml" >"$name.log" 2>&1
    echo "$name $?" >>exit-codes
    grep -E "^\[  (PASSED|FAILED)  \]|^\[==========\]" "$name.log" | tail -n 3
  done
  wineserver -k' _ "$build/win/bin")

# Sum the GoogleTest reports. A program that exits non-zero without a failing test (a crash, a
# leak found at exit) or leaves no report counts as one failure of its own.
passed=0
failed=0
while read -r name rc; do
  report=$results/$name.xml
  if [ ! -s "$report" ]; then
    echo "FAILED: $name left no report (exit $rc); see $results/$name.log"
    failed=$((failed + 1))
    continue
  fi
  header=$(grep -m1 -o '<testsuites [^>]*>' "$report")
  attr() { echo "$header" | sed -n "s/.* $1=\"\([0-9]*\)\".*/\1/p"; }
  tests=$(attr tests); failures=$(attr failures); errors=$(attr errors); disabled=$(attr disabled)
  skipped=$(grep -c '<skipped' "$report")
  bad=$((failures + errors))
  passed=$((passed + tests - bad - disabled - skipped))
  failed=$((failed + bad))
  if [ "$bad" -eq 0 ] && [ "$rc" -ne 0 ]; then
    echo "FAILED: $name exited with $rc; see $results/$name.log"
    failed=$((failed + 1))
  fi
  [ "$bad" -gt 0 ] && grep -B1 -A3 '<failure' "$report" | head -40
done <"$results/exit-codes"

# Each fuzz run counts as one test: it passes when it ends without a finding.
while read -r name rc; do
  if [ "$rc" -eq 0 ]; then
    passed=$((passed + 1))
  else
    echo "FAILED: $name (exit $rc); see $results/fuzz-${name#fuzz_}.log"
    failed=$((failed + 1))
  fi
done <"$results/fuzz-codes"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
