#!/usr/bin/env bash
# Runs a Windows program in the private prefix (CTest's cross-compiling
# emulator). The C runtime must not see a Unix zone name in TZ; the
# platform layer removes it, Wine itself takes the zone from it.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
"$MORLIND_ROOT/scripts/wine-prefix.sh"
exec wine "$@" 2> >(grep -v -e 'wine32 is missing' -e 'multiarch needs' -e 'dpkg --add-architecture' -e 'apt-get install wine32' >&2)
