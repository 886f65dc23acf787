#!/usr/bin/env bash
# Runs one scan of the bundled demo system in build/dev/demo. The first run
# copies the demo profile there; later runs keep its history line.
set -uo pipefail
cd "$(dirname "$0")/.."
build=build/dev
mkdir -p "$build/demo"
for f in demo/*; do
  [ -e "$build/demo/$(basename "$f")" ] || cp "$f" "$build/demo/"
done
cd "$build/demo"
../quillmeter DEMO @
echo "(exit code $?)"
