#!/usr/bin/env bash
# Regenerates tests/data/caches/firefox/: the cache2 folder the real
# Firefox writes when it loads the loopback page of scripts/cache-server.py,
# with only what a reader needs (entries/, and index when there is one),
# and checks that every served file became one entry holding what was sent.
# Needs firefox-esr; nothing leaves 127.0.0.1.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/tests/data/caches/firefox"
work="$(mktemp -d)"
server=""
cleanup() {
  if [ -n "$server" ]; then kill "$server" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 "$root/scripts/cache-server.py" serve "$port" &
server=$!
for _ in $(seq 50); do
  if python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null; then break; fi
  sleep 0.1
done

profile="$work/profile"
mkdir -p "$profile" "$work/disk"
# The disk cache in a folder of our own; every request that would leave the
# machine (updates, telemetry, safe browsing, captive portal, remote
# settings, prefetching) switched off.
cat >"$profile/user.js" <<EOF
user_pref("browser.cache.disk.parent_directory", "$work/disk");
user_pref("browser.cache.disk.enable", true);
user_pref("browser.cache.memory.enable", false);
user_pref("browser.cache.disk.smart_size.enabled", false);
user_pref("browser.cache.disk.capacity", 102400);
user_pref("app.update.enabled", false);
user_pref("app.update.auto", false);
user_pref("app.normandy.enabled", false);
user_pref("toolkit.telemetry.enabled", false);
user_pref("toolkit.telemetry.unified", false);
user_pref("datareporting.healthreport.uploadEnabled", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("browser.safebrowsing.malware.enabled", false);
user_pref("browser.safebrowsing.phishing.enabled", false);
user_pref("browser.safebrowsing.downloads.enabled", false);
user_pref("browser.safebrowsing.update.enabled", false);
user_pref("network.captive-portal-service.enabled", false);
user_pref("network.connectivity-service.enabled", false);
user_pref("network.prefetch-next", false);
user_pref("network.dns.disablePrefetch", true);
user_pref("network.predictor.enabled", false);
user_pref("network.http.speculative-parallel-limit", 0);
user_pref("services.settings.server", "http://127.0.0.1:1/");
user_pref("extensions.update.enabled", false);
user_pref("extensions.getAddons.cache.enabled", false);
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("browser.newtabpage.enabled", false);
user_pref("browser.aboutwelcome.enabled", false);
EOF

HOME="$work" timeout 120 firefox-esr --headless --no-remote --profile "$profile" \
  --screenshot "$work/out.png" "http://127.0.0.1:$port/" >"$work/firefox.log" 2>&1 || {
  cat "$work/firefox.log" >&2
  exit 1
}

cache="$work/disk/cache2"
[ -d "$cache/entries" ] || { echo "make-firefox-cache: no cache2/entries written" >&2; exit 1; }

# Every served path must be the address of one entry whose body is what
# the server sent (still encoded).
python3 - "$root/tests/data/caches/served/manifest.tsv" "$cache/entries" "$port" <<'PY'
import os, struct, sys, urllib.request
manifest, entries, port = sys.argv[1:]
origin = "http://127.0.0.1:%s" % port
blobs = [open(os.path.join(entries, name), "rb").read() for name in os.listdir(entries)]
wrong = []
for line in open(manifest, encoding="utf-8").read().splitlines()[1:]:
    index, path, kind, encoding, size = line.split("\t")
    body = urllib.request.urlopen(origin + path).read()
    held = [blob for blob in blobs if (origin + path).encode() + b"\0" in blob]
    offset = struct.unpack(">I", held[0][-4:])[0] & 0x7FFFFFFF if len(held) == 1 else -1
    if offset < 0 or held[0][:offset] != body:
        wrong.append(path)
if wrong:
    sys.exit("make-firefox-cache: not one entry each with the body sent: " + " ".join(wrong))
PY

rm -rf "$out"
mkdir -p "$out"
cp -r "$cache/entries" "$out/entries"
if [ -f "$cache/index" ]; then cp "$cache/index" "$out/index"; fi
echo "make-firefox-cache: $(ls "$out/entries" | wc -l) entries, $(du -sb "$out" | cut -f1) bytes in $out"
