#!/usr/bin/env bash
# Lays out, from the Unix side, the folders the safe-save scenario copies
# into: one whose photo[1].jpg is a link to a file outside, and one that is
# a folder link to a 1 MiB tmpfs holding an older 大文件.flv, where a larger
# copy runs out of space (a real ENOSPC, which Wine reports as
# ERROR_DISK_FULL). "cleanup" unmounts it. Mounting needs root.
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
full="$WINEPREFIX-full"
saves="$WINEPREFIX/drive_c/morlind-save"
if [ "${1:-setup}" = cleanup ]; then
  if mountpoint -q "$full"; then umount "$full" 2>/dev/null || sudo -n umount "$full"; fi
  exit 0
fi
"$MORLIND_ROOT/scripts/wine-prefix.sh"
rm -rf -- "$saves"
mkdir -p "$saves/links" "$saves/esc" "$full"
if ! mountpoint -q "$full"; then
  mount -t tmpfs -o size=1m tmpfs "$full" 2>/dev/null || sudo -n mount -t tmpfs -o size=1m tmpfs "$full"
fi
find "$full" -mindepth 1 -delete
printf 'old big file' >"$full/大文件.flv"
ln -s "$full" "$saves/full"
printf 'precious' >"$saves/precious.doc"
ln -s "$saves/precious.doc" "$saves/links/photo[1].jpg"
printf 'old video' >"$saves/esc/大视频.flv"
