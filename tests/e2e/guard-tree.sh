#!/usr/bin/env bash
# Prepares the guard scenario's prefix from the Unix side: an empty cache
# folder, a drive D: whose root holds a file, and C:\morlind-droot, a folder
# link to that root. The scenario itself makes its case twins and swaps
# files and folders for links while the program runs (rm never follows a
# link, so emptying here is safe).
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
"$MORLIND_ROOT/scripts/wine-prefix.sh"
# The cache setting as a fresh prefix has it: an earlier run may have
# stopped while it named another folder.
keys='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer'
wine reg add "$keys\User Shell Folders" /v Cache /t REG_EXPAND_SZ \
  /d '%USERPROFILE%\AppData\Local\Microsoft\Windows\INetCache' /f >/dev/null 2>&1
wine reg add "$keys\Shell Folders" /v Cache /t REG_SZ \
  /d "C:\users\$(id -un)\AppData\Local\Microsoft\Windows\INetCache" /f >/dev/null 2>&1
wineserver -w
# Wine links Documents, Desktop and the like to the Unix home: made real
# folders, a clean or a search pointed at them stays inside the prefix.
profile="$WINEPREFIX/drive_c/users/$(id -un)"
for folder in Desktop Documents Downloads Music Pictures Videos; do
  if [ -L "$profile/$folder" ]; then rm -- "$profile/$folder"; fi
  rm -rf -- "$profile/$folder/Content.IE5"
  mkdir -p "$profile/$folder"
done
rm -rf -- "$profile/Content.IE5"
cache="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Microsoft/Windows/INetCache"
find "$cache" -mindepth 1 -maxdepth 1 -exec rm -rf -- {} +
rm -rf -- "$WINEPREFIX/drive_c/morlind-guard" "$WINEPREFIX/drive_c/morlind-droot" "$WINEPREFIX/drive_d"
mkdir -p "$WINEPREFIX/drive_d" "$WINEPREFIX/drive_c/morlind-guard"
printf 'root of D:' >"$WINEPREFIX/drive_d/sentinel.txt"
printf 'precious' >"$WINEPREFIX/drive_c/morlind-guard/precious.doc"
ln -sfn ../drive_d "$WINEPREFIX/dosdevices/d:"
ln -s "$WINEPREFIX/drive_d" "$WINEPREFIX/drive_c/morlind-droot"
