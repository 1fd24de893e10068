#!/usr/bin/env bash
# Makes (setup) or removes (cleanup) the links the Windows clean test needs,
# in the named folder of the prefix's C: drive: Wine cannot create links
# itself. Only the links, their targets and the folder Ðata beside the link
# Data come from here; the test writes the files.
set -euo pipefail
source "$(dirname "$0")/../scripts/wine-env.sh"
usage() {
  echo "usage: $0 setup|cleanup FOLDER-NAME" >&2
  exit 2
}
# The name is checked: cleanup removes that folder.
[ $# -eq 2 ] && [[ "$2" =~ ^[A-Za-z0-9_-]+$ ]] || usage
tree="$WINEPREFIX/drive_c/$2"
case "$1" in
  setup)
    "$MORLIND_ROOT/scripts/wine-prefix.sh"
    mkdir -p "$tree/cache/Ðata" "$tree/outside" "$tree/emptyOutside"
    echo precious >"$tree/precious.doc"
    ln -sfn ../outside "$tree/cache/Data"
    ln -sfn ../emptyOutside "$tree/cache/empty"
    ln -sfn ../precious.doc "$tree/cache/innocent.jpg"
    # The same past 260 characters, where Wine gives no final path.
    deep="$tree/cache/$(printf 'l%.0s' {1..120})/$(printf 'm%.0s' {1..150})"
    mkdir -p "$deep"
    ln -sfn ../../../precious.doc "$deep/innocent.jpg"
    ;;
  cleanup) rm -rf "$tree" ;;  # does not follow the links
  *) usage ;;
esac
