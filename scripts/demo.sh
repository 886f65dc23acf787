#!/usr/bin/env bash
# Runs one scan of the bundled demo system in build/dev/demo. The first run
# makes the demo profile DEMO.P00 there from the template, which stays
# without history lines; later runs keep the profile's history lines.
set -uo pipefail
cd "$(dirname "$0")/.."
build=build/dev
mkdir -p "$build/demo"
for f in demo/*; do
  [ -e "$build/demo/$(basename "$f")" ] || cp "$f" "$build/demo/"
done
[ -e "$build/demo/DEMO.P00" ] || cp demo/DEMO.Template "$build/demo/DEMO.P00"
cd "$build/demo"
../quillmeter DEMO @
echo "(exit code $?)"
