#!/usr/bin/env bash
# Fails when an exe imports a DLL beyond those every Windows has, so a new
# import cannot break the release unseen.
#   check-imports.sh EXE OBJDUMP
set -euo pipefail
exe="$1"
objdump="$2"

system_dlls=(advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
             oleaut32.dll shell32.dll shlwapi.dll user32.dll version.dll wininet.dll)

foreign=()
for dll in $("$objdump" -p "$exe" | awk '/DLL Name:/ { print tolower($3) }'); do
  [[ " ${system_dlls[*]} " == *" $dll "* ]] || foreign+=("$dll")
done
if [ ${#foreign[@]} -gt 0 ]; then
  echo "$exe needs ${foreign[*]}, which Windows does not ship" >&2
  exit 1
fi
echo "$exe imports only what Windows ships"
