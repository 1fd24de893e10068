#!/usr/bin/env bash
# Creates the private Wine prefix once: no window-manager waits, no theme,
# and an internet-cache folder; at MORLIND_DPI when that is set.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

if [ ! -f "$WINEPREFIX/.morlind-ready" ]; then
  mkdir -p "$WINEPREFIX"
  wine wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /t REG_SZ /d 0 /f >/dev/null 2>&1
  if [ -n "${MORLIND_DPI:-}" ]; then
    for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
      wine reg add "$key" /v LogPixels /t REG_DWORD /d "$MORLIND_DPI" /f >/dev/null 2>&1
    done
  fi
  wineserver -w
  touch "$WINEPREFIX/.morlind-ready"
fi
mkdir -p "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Microsoft/Windows/INetCache"
