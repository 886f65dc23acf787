#!/usr/bin/env bash
# The Windows harness on a machine whose kernel runs no 32-bit programs: a
# 32-bit loader the kernel refuses makes every call of the 32-bit suite a
# skip that says why, and a loader that fails in any other way never does.
# Needs no Wine: the check comes before anything starts it.
#   wine-run_test.sh CMAKE_DIR
set -uo pipefail
run32=$1/wine32-run.sh
dir=$(mktemp -d)
trap 'WINEPREFIX=$dir/prefix wineserver -k 2>/dev/null; rm -rf "$dir"' EXIT
export TMPDIR=$dir QUILLMETER_WINE32PREFIX=$dir/prefix
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

reason="32-bit suite not run: this machine's kernel runs no 32-bit programs (Wine's 32-bit loader: Exec format error)"
# No program of any kind this kernel knows: it refuses it as it refuses a
# 32-bit one where that support is missing.
printf '\0\1\2\3not a program\n' >"$dir/refused"
chmod +x "$dir/refused"
printf '#!/bin/sh\necho "cannot start: no display" >&2\nexit 3\n' >"$dir/broken"
chmod +x "$dir/broken"

# expect LOADER EXIT_CODE STDOUT STDERR ARGS...
expect() {
  local loader=$1 code=$2 out=$3 err=$4
  shift 4
  local got_out got_err got_code=0
  got_out=$(QUILLMETER_WINE32_LOADER=$loader bash "$run32" "$@" 2>"$dir/err") || got_code=$?
  got_err=$(<"$dir/err")
  [ "$got_code" = "$code" ] || fail "$* with ${loader##*/}: exit code $got_code, expected $code"
  [ "$got_out" = "$out" ] || fail "$* with ${loader##*/}: printed [$got_out], expected [$out]"
  [ "$err" = "*" ] || [ "$got_err" = "$err" ] ||
    fail "$* with ${loader##*/}: said [$got_err], expected [$err]"
}

refused=$dir/refused
expect "$refused" 77 "" "$reason" --runnable
expect "$refused" 77 "" "$reason" --prefix
expect "$refused" 0 "" "" --cleanup
expect "$refused" 77 "" "$reason" 'C:\bin\quillmeter.exe' PRD
expect "$refused" 77 "" "$reason" "$dir/quillmeter_windows_tests.exe" --gtest_filter=A.B
expect "$refused" 0 $'quillmeter_windows_tests.\n  NotRunOnThisMachine' "" \
  "$dir/quillmeter_windows_tests.exe" --gtest_list_tests
[ -e "$dir/prefix" ] && fail "a prefix was made for a suite that does not run"

# A loader that starts but fails is a real failure, never a skip.
broken=$dir/broken
expect "$broken" 0 "" "" --runnable
code=0
QUILLMETER_WINE32_LOADER=$broken bash "$run32" 'C:\bin\quillmeter.exe' PRD >"$dir/out" 2>&1 ||
  code=$?
[ "$code" = 0 ] || [ "$code" = 77 ] && fail "a broken loader ended with $code"
grep -q "32-bit suite not run" "$dir/out" && fail "a broken loader was taken for a refused one"

# A stand-in listed there must not pass where the loader starts.
code=0
QUILLMETER_WINE32_LOADER=$broken bash "$run32" "$dir/quillmeter_windows_tests.exe" \
  --gtest_filter=quillmeter_windows_tests.NotRunOnThisMachine >/dev/null 2>&1 || code=$?
[ "$code" = 1 ] || fail "a stand-in test ended with $code where the loader starts"

[ "$failures" = 0 ] && echo "ok"
exit "$failures"
