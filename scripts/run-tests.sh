#!/usr/bin/env bash
# Runs one test preset with CTest, keeps the full log under build/, and
# prints each suite's GoogleTest counts. Appends "passed failed" to
# build/test-counts for the final summary.
set -uo pipefail
preset="$1"
root="$(cd "$(dirname "$0")/.." && pwd)"
log="$root/build/$preset-tests.log"

ctest --preset "$preset" -V >"$log" 2>&1
status=$?

# Counts per GoogleTest run (natively each test is its own run) and per
# Python unittest run.
awk -v preset="$preset" '
  /\[  PASSED  \] [0-9]+ test/ { passed += $(NF-1) + 0 }
  /\[  FAILED  \] [0-9]+ test/ { failed += $(NF-3) + 0 }
  /\[  SKIPPED \] [0-9]+ test/ { skipped += $(NF-3) + 0 }
  /: Ran [0-9]+ tests? in/ { passed += $3 + 0 }
  /: FAILED \(/ { for (k = 1; k <= NF; ++k) if (match($k, /^\(?(failures|errors)=[0-9]+/)) { n = $k; gsub(/[^0-9]/, "", n); failed += n; passed -= n } }
  /tests passed, .* tests failed out of/ { summary = $0 }
  END {
    printf "%s: %d test cases passed, %d failed, %d skipped (other zone); ctest: %s\n",
           preset, passed, failed, skipped, summary
    print passed + 0, failed + 0 >> "'"$root"'/build/test-counts"
  }' "$log"

if [ $status -ne 0 ]; then
  grep -E '\[  FAILED  \]|Failure|Expected|Which is|Errors while' "$log" | head -60
  echo "$preset: tests failed; full log in $log"
fi
exit $status
