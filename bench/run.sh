#!/usr/bin/env bash
# Builds the release sensor with the benchmark (preset "bench") and prints
# the table. Not part of the test suite.
#   bash bench/run.sh [RUNS]      RUNS timed runs of each kind (default 101)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
build/bench/quillmeter_bench build/bench "$@"
