#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz", clang with libFuzzer, ASan, UBSan)
# and runs each for a fixed time, starting from its committed seeds. Any
# finding fails the script; the input that caused it is kept in
# build/fuzz/findings/.
#   bash fuzz/run.sh                   every target, FUZZ_SECONDS each (25)
#   bash fuzz/run.sh password_fuzz     chosen targets only
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-25}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

build=build/fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for seeds in fuzz/corpus/*/; do targets+=("$(basename "$seeds")_fuzz"); done
fi
mkdir -p "$build/findings"
failed=()
for target in "${targets[@]}"; do
  name=${target%_fuzz}
  work=$(mktemp -d)
  echo "== $target: ${seconds}s"
  # New inputs go to the scratch directory; the committed seeds stay as
  # they are.
  if "$build/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=8192 -print_final_stats=1 -artifact_prefix="$build/findings/$name-" \
      "$work" "fuzz/corpus/$name" >"$build/$name.log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^stat::new_units_added' "$build/$name.log" || true
  else
    failed+=("$target")
    tail -n 40 "$build/$name.log"
  fi
  rm -rf "$work"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]} (inputs in $build/findings/)"
  exit 1
fi
echo "fuzzing: ${#targets[@]} targets, no finding"
