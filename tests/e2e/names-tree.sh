#!/usr/bin/env bash
# Lays out, from the Unix side (Wine cannot make links), what the names
# scenario finds in its prefix's cache folder: a real folder Ðata beside a
# folder link Data to a folder outside, and file links innocent.jpg (and one
# past 260 characters) to a file outside. rm never follows a link, so
# emptying the cache here is safe.
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
# The same past 260 characters, where Wine's final path of a handle fails.
deep="$cache/$(printf 'l%.0s' {1..120})/$(printf 'm%.0s' {1..150})"
mkdir -p "$deep"
ln -s "$outside/precious.doc" "$deep/deeplink.jpg"
