#!/usr/bin/env bash
# Runs the benchmarks natively and under Wine over a generated tree of
# 120,000 files, and over generated browser caches (Chrome's block-file
# cache of 50,000 entries, Firefox's cache2 of 20,000), and prints one table.
# Raw results stay under build/bench/.
# Wine runs in a prefix of its own, build/wineprefix-bench: the bench fills
# and empties that prefix's URL cache index, which no test must meet.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
export MORLIND_WINEPREFIX="$root/build/wineprefix-bench"
source scripts/wine-env.sh
out=build/bench
index_entries=20000
mkdir -p "$out"

cmake --preset linux >/dev/null && cmake --build --preset linux -j "$(nproc)" --target scan_bench make_tree make_caches >/dev/null
cmake --preset windows >/dev/null && cmake --build --preset windows -j "$(nproc)" --target win_bench >/dev/null
scripts/wine-prefix.sh

echo "bench: native cases (Google Benchmark)..."
build/linux/bench/scan_bench --benchmark_format=json --benchmark_out="$out/native.json" >/dev/null

tree_unix="$WINEPREFIX/drive_c/morlind-bench"
tree_win='C:\morlind-bench'
local_unix="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local"
cache_unix="$local_unix/Microsoft/Windows/INetCache"
# Where make_caches writes Chrome's and Firefox's caches.
browser_dirs=("$local_unix/Google" "$local_unix/Mozilla")
make_tree() { build/linux/bench/make_tree "$tree_unix" >/dev/null; }
win_bench() { xvfb-run -a scripts/wine-run.sh build/windows/bench/win_bench.exe "$@"; }
theme() {
  wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' \
    /v ThemeActive /t REG_SZ /d "$1" /f >/dev/null 2>&1
  wineserver -w
}
# The index and its files go with the cache folder's contents, once no
# process of the prefix holds them open.
empty_cache() {
  wineserver -w
  rm -rf "${cache_unix:?}"/*
}

echo "bench: Windows cases under Wine..."
empty_cache
rm -rf "${browser_dirs[@]}"
make_tree
win_bench "$tree_win" | sed 's/^/theme off\t/' >"$out/windows.tsv"
win_bench --dialog-tools "$tree_win" | sed 's/^/theme off\t/' >>"$out/windows.tsv"
echo "bench: Chrome's block-file cache of 50,000 entries and Firefox's cache2 of 20,000, under Wine..."
build/linux/bench/make_caches "$local_unix" 50000 20000 >/dev/null
win_bench --browser-scan "$tree_win" | sed 's/^/theme off\t/' >>"$out/windows.tsv"
win_bench --browser-dialog "$tree_win" | sed 's/^/theme off\t/' >>"$out/windows.tsv"
rm -rf "${browser_dirs[@]}"
theme 1
win_bench --dialog "$tree_win" | grep '^dialog' | sed 's/^/theme on\t/' >>"$out/windows.tsv" || true
theme 0
echo "bench: the listing with the URL cache index empty and with $index_entries entries..."
win_bench --index "$index_entries" "$tree_win" | sed 's/^/theme off\t/' >>"$out/windows.tsv"
empty_cache
win_bench --bare-delete "$tree_win" | sed 's/^/theme off\t/' >>"$out/windows.tsv"
make_tree
win_bench --clean "$tree_win" | sed 's/^/theme off\t/' >>"$out/windows.tsv"
make_tree
win_bench --dialog-clean "$tree_win" | sed 's/^/theme off\t/' >>"$out/windows.tsv"
rm -rf "$tree_unix"

python3 scripts/bench-table.py "$out/native.json" "$out/windows.tsv" | tee "$out/table.md"
