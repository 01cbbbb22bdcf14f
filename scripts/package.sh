#!/usr/bin/env bash
# Builds the release package of each Windows architecture (or of those named: x86, x64):
#   build/package/corvane-<version>-<arch>.zip          what a developer ships
#   build/package/corvane-<version>-<arch>-symbols.zip  one debug-symbol file per program
# The programs are stripped of their debug information, which goes to the symbol files (each
# program names its own by a debug link). The same sources give the same bytes: the programs
# carry no time stamp and the zips hold their files in one order with one date. A test double
# (any WebView2 loader, any test program) is refused.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

archs=("$@")
[ ${#archs[@]} -gt 0 ] || archs=("${windows_archs[@]}")
[ -n "${CORVANE_PACKAGE_NO_SETUP:-}" ] || "$root/scripts/install-deps.sh" >/dev/null

# objcopy writes this time, not the present one, into the programs it strips.
export SOURCE_DATE_EPOCH=946684800  # 2000-01-01, the zips' date too

version=$(sed -n 's/^project(Corvane VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
out=$build/package
mkdir -p "$out"

# The programs and files that ship, as they lie in bin/.
programs=(Corvane.exe Wrenfall.exe archive_packer.exe text_cipher.exe demo_parent.exe gui_parent.exe
          corvane_parent.dll)
parent_files=(corvane_parent.def corvane_parent_c.h)

refuse() { echo "package: $1" >&2; exit 1; }

# The README's sections for those who ship the host (not how to build and test it).
user_readme() {
  awk '
    /^## / { in_section = 1; keep = ($0 ~ /^## (The parent library|Pages and `external`|Security: which pages get `external`|Serving a web application from an archive|Crash reports)$/) }
    !in_section || keep { print }
  ' "$root/README.md"
}

# Everything linked statically into the programs, with its licence as the system ships it.
notices() {
  local arch_dir=$1
  echo "Corvane links these libraries statically; their licences follow."
  echo
  for entry in "jsoncpp|$deps/src/jsoncpp/LICENSE" \
               "zlib|/usr/share/doc/libz-mingw-w64/copyright" \
               "the mingw-w64 runtime and its threads library (winpthreads)|/usr/share/doc/mingw-w64-$arch_dir-dev/copyright" \
               "the compiler's runtime (libgcc, libstdc++), under the GCC Runtime Library Exception|/usr/share/doc/gcc-mingw-w64-base/copyright"; do
    [ -s "${entry#*|}" ] || refuse "no licence text for ${entry%%|*} at ${entry#*|}"
    echo "==== ${entry%%|*}"
    echo
    cat "${entry#*|}"
    echo
  done
}

zip_folder() {  # zip_folder FOLDER ZIP: every file, in one order, with one date
  rm -f "$2"
  find "$1" -exec touch -h -d '2000-01-01 00:00:00 UTC' {} +
  (cd "$1" && LC_ALL=C find . -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q -9 "$2" -@)
}

for arch in "${archs[@]}"; do
  case "$arch" in
    x86) triple=i686-w64-mingw32 arch_dir=i686 ;;
    x64) triple=x86_64-w64-mingw32 arch_dir=x86-64 ;;
    *) refuse "no architecture $arch" ;;
  esac
  build_windows "$arch" >/dev/null || refuse "the $arch build failed"
  bin=$(windows_bin "$arch")
  name=corvane-$version-$arch
  stage=$out/$name
  symbols=$out/$name-symbols
  rm -rf "$stage" "$symbols"
  mkdir -p "$stage/parent" "$symbols"

  # bin/ must hold what ships and nothing else.
  extra=$(cd "$bin" && ls | grep -vxF -f <(printf '%s\n' "${programs[@]}" "${parent_files[@]}") || true)
  [ -z "$extra" ] || refuse "$bin holds what does not ship: $extra"
  for program in "${programs[@]}"; do
    file=$bin/$program
    [ -f "$file" ] || refuse "$file is missing"
    destination=$stage/$program
    [ "$program" = corvane_parent.dll ] && destination=$stage/parent/$program
    "$triple-objcopy" --only-keep-debug "$file" "$symbols/$program.debug"
    "$triple-objcopy" --strip-debug --add-gnu-debuglink="$symbols/$program.debug" "$file" "$destination"
  done
  # The loader comes from the runtime's SDK: no file of the package may provide its functions.
  for file in "$stage"/*.exe "$stage"/parent/*.dll; do
    if "$triple-objdump" -p "$file" | sed -n '/^There is an export table/,$p' | grep -q 'CreateCoreWebView2Environment'; then
      refuse "$(basename "$file") is a WebView2 loader: a test double"
    fi
  done
  cp "$root/tools/wrenfall/Wrenfall.ini" "$stage/Wrenfall.ini"
  for file in "${parent_files[@]}"; do cp "$bin/$file" "$stage/parent/"; done
  cp "$build/win-$arch/parent/libcorvane_parent.dll.a" "$stage/parent/"
  mkdir -p "$stage/docs"
  user_readme >"$stage/README.md"
  cp "$root"/docs/*.md "$stage/docs/"
  notices "$arch_dir" >"$stage/NOTICES.txt"
  (cd "$stage" && LC_ALL=C find . -type f ! -name SHA256SUMS | LC_ALL=C sort | sed 's|^\./||' |
    xargs sha256sum >SHA256SUMS)

  zip_folder "$stage" "$out/$name.zip"
  zip_folder "$symbols" "$out/$name-symbols.zip"
  echo "$out/$name.zip ($(du -k "$out/$name.zip" | cut -f1) KiB), symbols in $name-symbols.zip"
done
