#!/usr/bin/env bash
# Puts the caches the real browsers wrote (tests/data/caches/) at their
# Windows places in the browsers scenario's prefix: Chrome with two
# profiles (block-file and simple), Edge (simple), Firefox (cache2), and
# .json opening in notepad, so that 打开 shows a decoded body.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
"$MORLIND_ROOT/scripts/wine-prefix.sh"
local="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local"
samples="$MORLIND_ROOT/tests/data/caches"
rm -rf -- "$local/Google" "$local/Microsoft/Edge" "$local/Mozilla"
place() {  # sample, cache folder below AppData\Local
  mkdir -p "$local/$2"
  cp -R "$samples/$1/." "$local/$2/"
}
place chromium-blockfile "Google/Chrome/User Data/Default/Cache/Cache_Data"
place chromium-simple "Google/Chrome/User Data/Profile 1/Cache/Cache_Data"
place chromium-simple "Microsoft/Edge/User Data/Default/Cache/Cache_Data"
place firefox "Mozilla/Firefox/Profiles/e2e.default-release/cache2"
wine reg add 'HKLM\Software\Classes\.json' /ve /d txtfile /f >/dev/null 2>&1
