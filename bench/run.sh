#!/usr/bin/env bash
# Builds the release sensor with the benchmark (preset "bench") and prints
# the table. Not part of the test suite.
#   bash bench/run.sh [RUNS]      RUNS timed runs of each kind (default 101)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
# With a Windows build and Wine, the 0 ms row of the workers' table runs
# under Wine too.
# The loader is the one the Windows tests run 64-bit programs with.
if [ -x build/windows/quillmeter.exe ] && loader=$(bash cmake/wine-run.sh --loader 2>/dev/null); then
  export QUILLMETER_BENCH_WINE_LOADER=$loader
  export QUILLMETER_WINEPREFIX=$PWD/build/bench/wine-prefix
  bash cmake/wine-run.sh --prefix >/dev/null
  unset DISPLAY WAYLAND_DISPLAY
  export WINEPREFIX=$QUILLMETER_WINEPREFIX WINEDEBUG=-all WINEARCH=win64
  export WINEDLLOVERRIDES="mscoree,mshtml=" QUILLMETER_BENCH_WINE=$PWD/build/windows
fi
status=0
build/bench/quillmeter_bench build/bench "$@" || status=$?
if [ -n "${QUILLMETER_BENCH_WINE:-}" ]; then wineserver -k 2>/dev/null || true; fi
exit $status
