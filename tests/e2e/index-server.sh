#!/usr/bin/env bash
# Serves a few files over HTTP on the loopback address for the index
# scenario, which downloads them into its prefix's cache as a browser would
# (setup), and ends the server (cleanup). The port goes into a file of the
# prefix's C: drive, where the test reads it. Setup also empties the cache
# (earlier runs' downloads and index; rm never follows a link) and puts a
# file link to a file outside into it, which Wine cannot make.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
site="$WINEPREFIX/drive_c/morlind-index"
outside="$WINEPREFIX/drive_c/morlind-index-outside"
cache="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Microsoft/Windows/INetCache"
case "${1:-}" in
  setup)
    "$MORLIND_ROOT/scripts/wine-prefix.sh"
    "$0" cleanup
    find "$cache" -mindepth 1 -maxdepth 1 -exec rm -rf -- {} +
    rm -rf -- "$outside"
    mkdir -p "$outside"
    printf 'precious' >"$outside/precious.doc"
    ln -s "$outside/precious.doc" "$cache/innocent.jpg"
    mkdir -p "$site"/{a,b,c,d,e}
    head -c 5000 /dev/zero >"$site/a/clip.flv"
    head -c 1025 /dev/zero >"$site/b/photo.jpg"
    : >"$site/c/empty.txt"
    printf x >"$site/d/page10.htm"
    head -c 3000000 /dev/zero >"$site/e/page9.htm"
    # Port 0: the system picks a free one, which the server writes down.
    nohup python3 -c '
import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
open(sys.argv[1] + "/port", "w").write(str(server.server_address[1]))
server.timeout = 1
import time
end = time.time() + 900  # never outlives a test run
while time.time() < end:
    server.handle_request()
' "$site" >/dev/null 2>&1 &
    echo $! >"$site/pid"
    for _ in $(seq 50); do [ -s "$site/port" ] && exit 0; sleep 0.1; done
    echo "index-server: the server did not start" >&2
    exit 1
    ;;
  cleanup)
    if [ -f "$site/pid" ]; then kill "$(cat "$site/pid")" 2>/dev/null || true; fi
    rm -rf "$site"
    ;;
  *) echo "usage: $0 setup|cleanup" >&2; exit 2 ;;
esac
