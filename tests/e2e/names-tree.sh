#!/usr/bin/env bash
# Lays out, from the Unix side (Wine cannot make links), what the names
# scenario finds in its prefix's cache folder: a real folder Ðata beside a
# folder link Data to a folder outside, and a file link innocent.jpg to a
# file outside. rm never follows a link, so emptying the cache here is safe.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
"$MORLIND_ROOT/scripts/wine-prefix.sh"
cache="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Microsoft/Windows/INetCache"
outside="$WINEPREFIX/drive_c/morlind-outside"
rm -rf -- "$outside"
find "$cache" -mindepth 1 -maxdepth 1 -exec rm -rf -- {} +
mkdir -p "$cache/Ðata" "$outside/MyDocs"
printf 'letter' >"$outside/MyDocs/letter.doc"
printf 'precious' >"$outside/precious.doc"
printf 'cache file a.jpg' >"$cache/Ðata/a.jpg"
ln -s "$outside/MyDocs" "$cache/Data"
ln -s "$outside/precious.doc" "$cache/innocent.jpg"
