#!/usr/bin/env bash
# Installs what is missing, builds the native and both Windows configurations and runs every
# test: the portable unit tests natively under the sanitizers, short fuzz runs over the readers
# of outside bytes, then the same unit tests and the Windows tests under Wine for each Windows
# architecture this machine can run (x64 always; x86, the shipped one, wherever 32-bit programs
# start), and a parent of one bitness driving a host of the other where both run.
# Ends with "N passed, N failed" and exits non-zero on any failure.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

results=$build/test-results
rm -rf "$results"
mkdir -p "$results"
: >"$results/exit-codes"

# The set-up scripts' own fault paths, against stand-in package tools: first, since they need
# nothing installed.
echo "== set-up script tests"
"$root/tests/scripts/setup_test.sh" "$results/scripts-setup.xml" >"$results/scripts-setup.log" 2>&1
echo "scripts-setup $?" >>"$results/exit-codes"
tail -n 1 "$results/scripts-setup.log"

# A set-up or build failure still ends with the closing line, counting what ran and the
# failure itself.
setup_failed() {
  echo "$1"
  echo "$1" >"$results/setup-failure"
  sum_reports
  exit 1
}

# Sums the GoogleTest reports. A program that exits non-zero without a failing test (a crash, a
# leak found at exit) or leaves no report counts as one failure of its own.
passed=0
failed=0
sum_reports() {
  local name rc report header tests failures errors disabled skipped bad
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
  if [ -s "$results/setup-failure" ]; then
    echo "FAILED: $(cat "$results/setup-failure")"
    failed=$((failed + 1))
  fi
  echo "$passed passed, $failed failed"
}

"$root/scripts/install-deps.sh" 2>&1 | tee "$results/setup.log"
[ "${PIPESTATUS[0]}" -eq 0 ] ||
  setup_failed "$(grep -m1 '^setup failed at step:' "$results/setup.log" || echo "setup failed")"

echo "== native build"
build_native || setup_failed "the native build failed"
for arch in "${windows_archs[@]}"; do
  echo "== Windows $arch build"
  build_windows "$arch" || setup_failed "the Windows $arch build failed"
done

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
  for target in message zip text crash; do
    corpus=$results/corpus-$target
    mkdir -p "$corpus" && cp "$root/fuzz/corpus/$target/"* "$corpus/"
    timeout 600 "$build/fuzz/bin/fuzz_$target" -runs=200000 -rss_limit_mb=2048 -malloc_limit_mb=64 "$corpus" \
      >"$results/fuzz-$target.log" 2>&1
    rc=$?
    echo "fuzz_$target $rc" >>"$results/fuzz-codes"
    echo "fuzz_$target: $(tail -n 1 "$results/fuzz-$target.log") (exit $rc)"
  done
else
  echo "fuzz_build 1" >>"$results/fuzz-codes"
fi

echo "== Windows tests under Wine"
# x64 runs everywhere; x86 (the shipped build) and the two mixed-bitness runs wherever this
# machine runs 32-bit programs under Wine, else the reason is printed and CORVANE_X86_REQUIRED
# says whether the skip fails the run (see x86_skip_fails). Each run that should happen is listed
# first, so that one that leaves nothing behind counts as a failure.
runs=(x64)
x86_status=$(x86_wine_status)
case "$x86_status" in
  installed)
    echo "x86 Windows tests: run, this machine starts 32-bit programs"
    runs+=(x86 x64:x86 x86:x64) ;;
  *) echo "x86 Windows tests: not run, $(x86_skip_reason "$x86_status")" ;;
esac
x86_skip_failed=0
x86_skip_fails "$x86_status" "${CORVANE_X86_REQUIRED:-}" && x86_skip_failed=1
echo "x64 Windows tests: run"
if [ ${#runs[@]} -gt 1 ]; then
  echo "mixed bitness (an x64 parent driving the x86 host, an x86 parent driving the x64 host): run"
else
  echo "mixed bitness: not run, as the x86 tests"
fi
: >"$results/expected"
for run in "${runs[@]}"; do
  case "$run" in
    *:*) echo "mixed-${run%%:*}-parent-${run#*:}-host" >>"$results/expected" ;;
    *) for t in "$(windows_test_bin "$run")"/*_tests.exe; do
         echo "win-$run-$(basename "$t" .exe)" >>"$results/expected"
       done ;;
  esac
done

export WINEPREFIX=$build/wineprefix-test
fresh_wine_prefix "$WINEPREFIX"
# The browser engine's tests drive a real Chromium; without one they are skipped and say why.
# A Chromium that is installed but does not start is a failure, not a reason to skip.
browser_broken=0
if start_chromium "$results"; then
  echo "browser engine tests: run against $(chromium --version 2>/dev/null) at $CORVANE_CHROMIUM"
elif command -v chromium >/dev/null 2>&1; then
  echo "browser engine tests: FAILED to start the installed Chromium (the line above says why)"
  browser_broken=1
else
  echo "browser engine tests: skipped (the line above says why)"
fi
trap stop_chromium EXIT
# One X server and one Wine server for the whole run; the programs run from the results folder
# so that their reports land there.
(cd "$results" && xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/windows-tests.sh" "${runs[@]}")
# The release package of each architecture whose tests ran: reproducible, what ships, and its
# demo running from a clean folder.
package_archs=()
for run in "${runs[@]}"; do [[ "$run" == *:* ]] || package_archs+=("$run"); done
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '"$1" "$2" "${@:3}"; rc=$?; wineserver -k; exit $rc' _ \
  "$root/tests/scripts/package_test.sh" "$results/package.xml" "${package_archs[@]}" >"$results/package.log" 2>&1
echo "package $?" >>"$results/exit-codes"
tail -n 1 "$results/package.log"
while read -r name; do
  grep -q "^$name " "$results/exit-codes" || echo "$name 127" >>"$results/exit-codes"
done <"$results/expected"

# Each fuzz run counts as one test: it passes when it ends without a finding.
while read -r name rc; do
  if [ "$rc" -eq 0 ]; then
    passed=$((passed + 1))
  else
    echo "FAILED: $name (exit $rc); see $results/fuzz-${name#fuzz_}.log"
    failed=$((failed + 1))
  fi
done <"$results/fuzz-codes"

if [ "$browser_broken" -eq 1 ]; then
  echo "FAILED: Chromium is installed but did not start; see $results/chromium.log"
  failed=$((failed + 1))
fi

if [ "$x86_skip_failed" -eq 1 ]; then
  echo "the x86 tests were not run, and CORVANE_X86_REQUIRED=$CORVANE_X86_REQUIRED asks for them" \
    >"$results/setup-failure"
fi
sum_reports
[ "$failed" -eq 0 ]
