#!/usr/bin/env bash
# The browsers scenario's prefix: the caches the real browsers wrote at their
# Windows places as make run puts them (Chrome's block-file and, in Profile 2,
# SQL cache, Edge's simple, Firefox's cache2), Chrome with a Profile 1 too,
# .json opening in notepad.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
"$MORLIND_ROOT/scripts/wine-prefix.sh"
profiles="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local"
rm -rf -- "$profiles/Google" "$profiles/Microsoft/Edge" "$profiles/Mozilla"
"$MORLIND_ROOT/scripts/sample-cache.sh" >/dev/null
second="$profiles/Google/Chrome/User Data/Profile 1/Cache/Cache_Data"
mkdir -p "$second" && cp -R "$MORLIND_ROOT/tests/data/caches/chromium-simple/." "$second/"
wine reg add 'HKLM\Software\Classes\.json' /ve /d txtfile /f >/dev/null 2>&1
