#!/usr/bin/env bash
# Release packages, from the Release builds in build/x64 and build/x86:
#   scripts/dist.sh            writes build/dist/ (what "make dist" runs)
#   scripts/dist.sh version    prints the version (from resources/version.h)
# and the steps on their own (the packaging tests use them):
#   scripts/dist.sh stage <x64|x86> <bin folder> <stage folder> <symbols folder>
#   scripts/dist.sh msi   <x64|x86> <version> <stage folder> <out.msi>
#   scripts/dist.sh zip   <x64|x86> <version> <stage folder> <out.zip>
# build/dist/ then holds Vantrel-<version>-<arch>.msi and .zip for both
# architectures, and Vantrel-<version>-<arch>-symbols/ with the debug
# information stripped from the shipped files (each shipped file names its
# .debug file in a .gnu_debuglink section, for crash analysis with gdb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
pkg="$root/packaging"

triple() { case "$1" in x64) echo x86_64-w64-mingw32 ;; x86) echo i686-w64-mingw32 ;;
                        *) echo "unknown architecture $1" >&2; exit 2 ;; esac; }

# The version the version resources carry (resources/version.h), a.b.c.d.
vt_version() {
  local part v=()
  for part in MAJOR MINOR BUILD REVISION; do
    v+=("$(sed -n "s/^#define VT_VERSION_$part \([0-9]\+\).*/\1/p" "$root/resources/version.h")")
  done
  local IFS=.
  echo "${v[*]}"
}

# Product code: a name-based GUID of upgrade code, architecture and version.
product_code() {  # <arch> <version>
  local upgrade
  upgrade=$(sed -n 's/.*UpgradeCode="\([0-9A-Fa-f-]*\)".*/\1/p' "$pkg/vantrel.wxs" | head -1)
  python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' \
    "$upgrade" "Vantrel $1 $2"
}

# Strips one built file into the stage folder; its debug information goes to
# the symbols folder, and the stripped file names it (.gnu_debuglink).
strip_into() {  # <arch> <built file> <stage dir> <symbols dir>
  local t name
  t=$(triple "$1"); name=$(basename "$2")
  "$t-objcopy" --only-keep-debug "$2" "$4/$name.debug"
  "$t-objcopy" --strip-all "$2" "$3/$name"
  "$t-objcopy" --add-gnu-debuglink="$4/$name.debug" "$3/$name"
}

make_msi() {  # <arch> <version> <folder with the staged files> <out.msi>
  local arch=$1 version=$2 dir=$3 out=$4 line
  out=$(realpath -m "$out")
  cp "$pkg/vantrel.wxs" "$dir/vantrel.wxs"
  # wixl finds the files named in the source relative to its working folder.
  (cd "$dir" && wixl -a "$arch" -D Version="$version" -D ProductCode="$(product_code "$arch" "$version")" \
     -o "$out.tmp" vantrel.wxs)
  local queries=()
  while IFS= read -r line; do
    case "$line" in ''|--*) continue ;; esac
    queries+=(-q "$line")
  done <"$pkg/custom_actions.sql"
  msibuild "$out.tmp" "${queries[@]}"
  mv "$out.tmp" "$out"
}

# Stripped program files and the helper in <stage>, their debug information
# in <symbols>, the icon for the package.
stage() {  # <arch> <bin folder> <stage folder> <symbols folder>
  local arch=$1 bin=$2 stage=$3 sym=$4 f
  mkdir -p "$stage" "$sym"
  for f in Vantrel.exe VTHook.dll VTMsiHelper.exe; do
    [ -f "$bin/$f" ] || { echo "missing $bin/$f: run make build first" >&2; exit 1; }
    strip_into "$arch" "$bin/$f" "$stage" "$sym"
  done
  cp "$root/resources/images/vantrel.ico" "$stage/Vantrel.ico"
}

# The portable archive: the two program files and a ReadMe.txt.
make_zip() {  # <arch> <version> <stage folder> <out.zip>
  local arch=$1 version=$2 dir=$3 out bits=64
  out=$(realpath -m "$4")
  [ "$arch" = x86 ] && bits=32
  sed -e "s/@VERSION@/$version/g" -e "s/@BITS@/$bits/g" -e 's/$/\r/' \
    "$pkg/ReadMe.txt" >"$dir/ReadMe.txt"
  # Entries carry the time of the last commit, not of the build.
  touch -d "@$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)" \
    "$dir/Vantrel.exe" "$dir/VTHook.dll" "$dir/ReadMe.txt"
  rm -f "$out"
  (cd "$dir" && zip -q -X "$out" Vantrel.exe VTHook.dll ReadMe.txt)
}

dist() {
  local version out arch
  version=$(vt_version)
  out="$root/build/dist"
  rm -rf "$out" "$root/build/stage"
  mkdir -p "$out"
  for arch in x64 x86; do
    stage "$arch" "$root/build/$arch/bin" "$root/build/stage/$arch" "$out/Vantrel-$version-$arch-symbols"
    make_msi "$arch" "$version" "$root/build/stage/$arch" "$out/Vantrel-$version-$arch.msi"
    make_zip "$arch" "$version" "$root/build/stage/$arch" "$out/Vantrel-$version-$arch.zip"
  done
  echo "Written to $out:"
  (cd "$out" && for f in Vantrel-*.msi Vantrel-*.zip; do echo "  $f: $(stat -c %s "$f") bytes"; done)
  for arch in x64 x86; do
    echo "  shipped $arch program files: $(cd "$root/build/stage/$arch" &&
      stat -c '%n %s bytes' Vantrel.exe VTHook.dll | paste -sd, | sed 's/,/, /g')"
  done
}

usage() { sed -n '2,/^set /p' "$0" | sed '$d' >&2; exit 2; }
case "${1:-}" in
  "") dist ;;
  stage) shift; [ $# -eq 4 ] || usage; triple "$1" >/dev/null; stage "$@" ;;
  msi) shift; [ $# -eq 4 ] || usage; triple "$1" >/dev/null; make_msi "$@" ;;
  zip) shift; [ $# -eq 4 ] || usage; triple "$1" >/dev/null; make_zip "$@" ;;
  version) vt_version ;;
  *) usage ;;
esac
