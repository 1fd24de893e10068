#!/usr/bin/env bash
# Mutation testing of the committed code with ../shared/tools/mutate.py, in
# a scratch clone (warnings not errors, so that mutants compile):
#   scripts/mutation.sh native OUT.json [REV]   every mutant of search/ and
#                                   actions/, against the native suites
#   scripts/mutation.sh wine OUT.json [REV]     30 mutants of ui/ and wingui/ (seed 13),
#                                   against the dialog suites under Wine
# REV (default HEAD) is the commit measured.
set -euo pipefail
kind="$1"
out="$(realpath "$2")"
root="$(cd "$(dirname "$0")/.." && pwd)"
mutate="$root/../shared/tools/mutate.py"
scratch="$root/build/mutation-$kind-$(basename "$out" .json)"
rm -rf "$scratch"
git clone -q "$root" "$scratch"
cd "$scratch"
git checkout -q "${3:-HEAD}"
"$root/scripts/install-deps.sh"

case "$kind" in
  native)
    # No optimisation and no debug information: each mutant rebuilds fast.
    cmake -S . -B build/m -DCMAKE_BUILD_TYPE= -DMORLIND_WERROR=OFF -DMORLIND_BENCH=OFF \
      -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=gold >/dev/null
    build="cmake --build build/m -j2 --target core_tests posix_platform_tests"
    test='s=0; build/m/tests/core_tests || s=1; build/m/tests/posix_platform_tests || s=1; exit $s'
    srcs=$(git ls-files search actions)
    extra=(--timeout 60)
    ;;
  wine)
    cmake --preset windows -DMORLIND_WERROR=OFF -DMORLIND_BENCH=OFF >/dev/null
    build="cmake --build build/windows -j2 --target ui_tests e2e_tests Morlind"
    test="xvfb-run -a $scratch/scripts/wine-dialog-tests.sh $scratch/build/windows"
    srcs=$(git ls-files ui wingui)
    extra=(--max 30 --seed 13 --timeout 300)
    ;;
  *) echo "usage: $0 native|wine OUT.json" >&2; exit 2 ;;
esac

args=()
for src in $srcs; do args+=(--src "$src"); done
python3 "$mutate" "${args[@]}" "${extra[@]}" --build "$build" --test "$test" --json "$out"
