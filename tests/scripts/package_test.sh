#!/usr/bin/env bash
# The release package of each architecture named (x86, x64), from the builds already made:
# packed twice it is the same bytes; it holds what ships, each file as its checksum list says;
# a test double in the product folder is refused; and unpacked into a clean folder its demo
# parent runs against its host, with the test engine put beside them by this test as a
# machine's runtime would be. Runs inside the X server and Wine prefix the test command set up.
# Writes a GoogleTest-style report to the file named first.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/common.sh"
report=$1
shift
export CORVANE_PACKAGE_NO_SETUP=1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/report.sh"

shipped='Corvane.exe
NOTICES.txt
README.md
SHA256SUMS
Wrenfall.exe
Wrenfall.ini
archive_packer.exe
demo_parent.exe
docs/builtins.md
docs/deployment.md
docs/security.md
docs/troubleshooting.md
gui_parent.exe
parent/corvane_parent.def
parent/corvane_parent.dll
parent/corvane_parent_c.h
parent/libcorvane_parent.dll.a
text_cipher.exe'

for arch in "$@"; do
  out=$build/package
  "$root/scripts/package.sh" "$arch" >"$work/first.log" 2>&1
  rc=$?
  zip=$(ls "$out"/corvane-*-"$arch".zip 2>/dev/null | head -n 1)
  symbols=${zip%.zip}-symbols.zip
  first=$(cat "$zip" "$symbols" 2>/dev/null | sha256sum)
  "$root/scripts/package.sh" "$arch" >"$work/second.log" 2>&1
  rc=$((rc + $?))
  second=$(cat "$zip" "$symbols" 2>/dev/null | sha256sum)
  check "${arch}PackedTwiceIsTheSameBytes" "exit codes $rc, $(tail -n 1 "$work/second.log")" \
    $([ "$rc" -eq 0 ] && [ -s "$zip" ] && [ "$first" = "$second" ]; echo $?)

  unpacked=$work/$arch
  rm -rf "$unpacked"
  mkdir -p "$unpacked"
  unzip -q "$zip" -d "$unpacked"
  listed=$(cd "$unpacked" && LC_ALL=C find . -type f | sed 's|^\./||' | LC_ALL=C sort)
  check "${arch}PackageHoldsWhatShips" "$(diff <(echo "$shipped") <(echo "$listed") | tr '\n' ' ')" \
    $([ "$listed" = "$shipped" ] && (cd "$unpacked" && sha256sum --quiet -c SHA256SUMS) &&
      [ "$(unzip -Z1 "$symbols" | grep -c '\.debug$')" -eq 7 ]; echo $?)

  # A dump's address reads back to a function and a line through the host's symbol file.
  triple=x86_64-w64-mingw32
  [ "$arch" = x86 ] && triple=i686-w64-mingw32
  unzip -q -o "$symbols" Corvane.exe.debug -d "$work"
  entry=$("$triple-nm" "$work/Corvane.exe.debug" | awk '$3 == "wWinMain" || $3 == "_wWinMain@16" { print $1; exit }')
  where=$("$triple-addr2line" -f -e "$work/Corvane.exe.debug" "0x${entry:-0}" | tr '\n' ' ')
  check "${arch}SymbolsReadBackToFunctionsAndLines" "wWinMain at ${entry:-nowhere}: $where" \
    $([[ "$where" == *WinMain*src/webview2/main.cpp:[0-9]* ]] &&
      "$triple-objdump" -h "$unpacked/Corvane.exe" | grep -q gnu_debuglink; echo $?)

  # The test engine in the product folder: the package refuses it.
  bin=$(windows_bin "$arch")
  cp "$(windows_test_bin "$arch")/WebView2Loader.dll" "$bin/"
  "$root/scripts/package.sh" "$arch" >"$work/refused.log" 2>&1
  rc=$?
  rm -f "$bin/WebView2Loader.dll"
  check "${arch}ATestDoubleIsRefused" "exit $rc: $(tail -n 1 "$work/refused.log")" \
    $([ "$rc" -ne 0 ] && grep -q 'does not ship: WebView2Loader.dll' "$work/refused.log"; echo $?)

  # The packaged demo with the test engine where a machine's runtime loader would be.
  cp "$(windows_test_bin "$arch")/WebView2Loader.dll" "$unpacked/"
  demo="Z:${unpacked//\//\\}\\demo_parent.exe"
  timeout 300 "$(wine_loader "$arch")" "$demo" >"$work/demo.log" 2>&1
  rc=$?
  # The page's call reached the parent and was answered: the host did run over the engine.
  check "${arch}PackagedDemoRuns" "exit $rc: $(tail -n 3 "$work/demo.log" | tr '\n' ' ')" \
    $([ "$rc" -eq 0 ] && grep -q "the page's onUser(\"Alice\", \"30\") ran" "$work/demo.log"; echo $?)
done

write_report "$report" Package
echo "package tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
