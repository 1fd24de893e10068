#!/usr/bin/env bash
# Regenerates the Chromium caches the tests read, with the real browser:
# chromium-headless-shell loads the loopback page of scripts/cache-server.py
# once with the block-file cache (the Windows default), once with the
# simple cache (the Linux default) and once with the SQL cache (Chrome's
# newer Windows backend), and the files each cache needs are copied to
# tests/data/caches/chromium-blockfile/, chromium-simple/ and chromium-sql/.
# The port is fixed: the addresses inside the caches, and the tests, name it.
#   make-chromium-caches.sh [KIND...]   blockfile, simple, sql; all by default
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
kinds=("$@")
[ $# -gt 0 ] || kinds=(blockfile simple sql)
wants() { [[ " ${kinds[*]} " == *" $1 "* ]]; }
wants blockfile && run_browser blockfile --enable-features=DiskCacheBackendExperiment:backend/blockfile
wants simple && run_browser simple
wants sql && run_browser sql --enable-features=DiskCacheBackendExperiment:backend/sql

copy_cache() {  # kind, files (relative to Cache_Data)...
  local kind=$1 from="$work/cache-$1/Cache_Data" to="$data/chromium-$1"
  shift
  rm -rf "$to"
  mkdir -p "$to"
  (cd "$from" && cp --parents "$@" "$to/")
}
wants blockfile && (cd "$work/cache-blockfile/Cache_Data" && copy_cache blockfile index data_* f_*)
wants simple && (cd "$work/cache-simple/Cache_Data" && copy_cache simple index index-dir/the-real-index ./*_0)
# The databases with their (empty) journals, as the browser leaves them.
wants sql && (cd "$work/cache-sql/Cache_Data" && copy_cache sql index sqldb*)

# Every served file must be an entry of each cache: its key holds its address.
missing=0
for kind in "${kinds[@]}"; do
  while IFS=$'\t' read -r _ path _; do
    if ! grep -rqF "1/0/http://127.0.0.1:$port$path" "$data/chromium-$kind"; then
      echo "make-chromium-caches: $path is not in the $kind cache" >&2
      missing=1
    fi
  done < <(tail -n +2 "$data/served/manifest.tsv")
done
for kind in "${kinds[@]}"; do find "$data/chromium-$kind" -type f -printf "%s\t%p\n"; done
exit $missing
