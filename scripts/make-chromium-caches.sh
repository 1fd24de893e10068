#!/usr/bin/env bash
# Regenerates the Chromium caches the tests read, with the real browser:
# chromium-headless-shell loads the loopback page of scripts/cache-server.py
# once with the block-file cache (the Windows default) and once with the
# simple cache (the Linux default), and the files each cache needs are
# copied to tests/data/caches/chromium-blockfile/ and chromium-simple/.
# The port is fixed: the addresses inside the caches, and the tests, name it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
port=8731
data="$root/tests/data/caches"
work="$(mktemp -d)"
server=""
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

python3 "$root/scripts/cache-server.py" serve "$port" &
server=$!
for _ in $(seq 50); do
  python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null && break
  sleep 0.1
done

run_browser() {  # kind, extra browser arguments...
  local kind=$1
  shift
  timeout 60 chromium-headless-shell --no-sandbox --user-data-dir="$work/profile-$kind" \
    --disk-cache-dir="$work/cache-$kind" --virtual-time-budget=5000 --disable-background-networking \
    --disable-component-update --no-first-run "$@" --dump-dom "http://127.0.0.1:$port/" >/dev/null 2>"$work/$kind.log"
}
run_browser blockfile --enable-features=DiskCacheBackendExperiment:backend/blockfile
run_browser simple

copy_cache() {  # kind, files (relative to Cache_Data)...
  local kind=$1 from="$work/cache-$1/Cache_Data" to="$data/chromium-$1"
  shift
  rm -rf "$to"
  mkdir -p "$to"
  (cd "$from" && cp --parents "$@" "$to/")
}
(cd "$work/cache-blockfile/Cache_Data" && copy_cache blockfile index data_* f_*)
(cd "$work/cache-simple/Cache_Data" && copy_cache simple index index-dir/the-real-index ./*_0)

# Every served file must be an entry of each cache: its key holds its address.
missing=0
for kind in blockfile simple; do
  while IFS=$'\t' read -r _ path _; do
    if ! grep -rqF "1/0/http://127.0.0.1:$port$path" "$data/chromium-$kind"; then
      echo "make-chromium-caches: $path is not in the $kind cache" >&2
      missing=1
    fi
  done < <(tail -n +2 "$data/served/manifest.tsv")
done
find "$data"/chromium-* -type f -printf "%s\t%P\n" | sort -k2
exit $missing
