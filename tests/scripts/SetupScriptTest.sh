#!/usr/bin/env bash
# Runs scripts/setup.sh with stand-ins for apt-get, sudo, cmake, ctest and the built program that
# only write down how they were called; dpkg is the machine's own. On a machine where every
# package is installed (as after a first run):
#  - neither apt-get nor sudo is called, in either mode;
#  - "run" builds the program target only and starts it with the arguments after "run";
#  - "test" builds everything with warnings as errors and runs ctest.
set -euo pipefail
setup=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=$work/calls
mkdir -p "$work/stubs" "$work/build/bin"
for tool in apt-get sudo cmake ctest; do
  printf '#!/bin/sh\necho "%s $*" >> "%s"\n' "$tool" "$log" >"$work/stubs/$tool"
  chmod +x "$work/stubs/$tool"
done
printf '#!/bin/sh\necho "zuvrax $*" >> "%s"\n' "$log" >"$work/build/bin/zuvrax"
chmod +x "$work/build/bin/zuvrax"

failures=0
fail() {
  echo "FAILED ($1): $2"
  echo "--- output"
  cat "$work/out"
  echo "--- calls"
  cat "$log" 2>/dev/null || true
  failures=$((failures + 1))
}

run_setup() {
  : >"$log"
  ZUVRAX_BUILD_DIR="$work/build" PATH="$work/stubs:$PATH" bash "$setup" "$@" >"$work/out" 2>&1
}

# run
if ! run_setup run --eins zwei; then fail run "setup.sh failed"; fi
grep -qE '^(apt-get|sudo) ' "$log" && fail run "apt-get was called though nothing is missing"
grep -qxF "cmake --build $work/build -j$(nproc) --target zuvrax" "$log" ||
  fail run "the build is not limited to the program"
grep -q -- '-DZX_WERROR=OFF' "$log" || fail run "configured without ZX_WERROR=OFF"
grep -qxF "zuvrax --eins zwei" "$log" || fail run "the program was not started with its arguments"
grep -q '^ctest' "$log" && fail run "tests were run"

# test
if ! run_setup test; then fail test "setup.sh failed"; fi
grep -qE '^(apt-get|sudo) ' "$log" && fail test "apt-get was called though nothing is missing"
grep -qxF "cmake --build $work/build -j$(nproc)" "$log" || fail test "not everything was built"
grep -q -- '-DZX_WERROR=ON' "$log" || fail test "configured without ZX_WERROR=ON"
grep -q '^ctest ' "$log" || fail test "ctest did not run"
grep -q '^zuvrax' "$log" && fail test "the program was started"

[ "$failures" -eq 0 ] && echo "setup.sh: all checks passed"
exit "$failures"
