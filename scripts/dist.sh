#!/usr/bin/env bash
# Builds the release Morlind.exe for x86_64 and i686, checks that neither
# needs a DLL beyond those every Windows has, and zips both with the README
# (and its pictures) into build/Morlind-2.0.zip.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

stage="build/dist"
rm -rf "$stage"
mkdir -p "$stage"
for build in "windows x64 x86_64-w64-mingw32" "windows-x86 x86 i686-w64-mingw32"; do
  read -r preset arch triple <<<"$build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$(nproc)" --target Morlind >/dev/null
  exe="build/$preset/Morlind.exe"
  scripts/check-imports.sh "$exe" "$triple-objdump" >/dev/null
  mkdir -p "$stage/Morlind-$arch"
  "$triple-strip" -o "$stage/Morlind-$arch/Morlind.exe" "$exe"
done
cp README.md "$stage/"
mkdir -p "$stage/docs"
cp docs/*.png "$stage/docs/"

zip="build/Morlind-2.0.zip"
rm -f "$zip"
(cd "$stage" && zip -q -r -X "$root/$zip" Morlind-x64 Morlind-x86 README.md docs)
echo "dist: $zip"
find "$stage" -type f -printf '  %8s  %P\n' | sort -k2
