#!/usr/bin/env bash
# Makes (setup) or removes (cleanup) the folder links the Windows clean test
# needs, in the named folder of the prefix's C: drive: Wine cannot create
# links itself. Only the links and their targets come from here; the test
# writes the files.
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
    mkdir -p "$tree/cache" "$tree/outside" "$tree/emptyOutside"
    ln -sfn ../outside "$tree/cache/full"
    ln -sfn ../emptyOutside "$tree/cache/empty"
    ;;
  cleanup) rm -rf "$tree" ;;  # does not follow the links
  *) usage ;;
esac
