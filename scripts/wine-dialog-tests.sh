#!/usr/bin/env bash
# The dialog suites under Wine, in process and from outside, with their
# GoogleTest output as it is (for mutation testing): wine-dialog-tests.sh BUILD_DIR
set -uo pipefail
build="$1"
root="$(cd "$(dirname "$0")/.." && pwd)"
status=0
TZ=Asia/Shanghai MORLIND_TEST_ZONE=Asia/Shanghai "$root/scripts/wine-run.sh" "$build/tests/ui_tests.exe" || status=1
(cd "$build" && TZ=Asia/Shanghai MORLIND_WINEPREFIX="$build/wineprefix-e2e" \
  "$root/scripts/wine-run.sh" "$build/tests/e2e_tests.exe") || status=1
exit $status
