#!/usr/bin/env bash
# The release zip, as an administrator installs it: it holds the sensor, the
# password tool, the README and the example profile and nothing else (no
# simulated library), and unpacked into PRTG's sensor folder on drive C of
# the Wine prefix, with the simulated library copied beside it, it scans.
#   package_test.sh BUILD_DIR WINE_RUN CPACK
set -euo pipefail
build=$1
wine_run=$2
cpack=$3

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$cpack" --config "$build/CPackConfig.cmake" -B "$tmp/package" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; fail "cpack failed"; }
zips=("$tmp"/package/*.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || fail "cpack made no single zip"
zip=${zips[0]}
top=$(basename "$zip" .zip)

listing=$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')
expected=$(printf '%s\n' "$top/DEMO.P00" "$top/README.md" "$top/quillmeter-password.exe" \
  "$top/quillmeter.exe" | sort | tr '\n' ' ')
[ "$listing" = "$expected" ] || fail "the zip holds [$listing], expected [$expected]"

prefix=$("$wine_run" --prefix)
drive_c=$prefix/drive_c
sensors="$drive_c/Program Files/PRTG Network Monitor/Custom Sensors/EXEXML"
work=$drive_c/quillmeter-package-work
rm -rf "$sensors" "$work"
mkdir -p "$sensors" "$work"
(cd "$tmp" && cmake -E tar xf "$zip")
cp "$tmp/$top"/* "$sensors/"
cp "$build/librfc32.dll" "$sensors/" 2>/dev/null || true

cleanup() {
  rm -rf "$tmp" "$drive_c/Program Files/PRTG Network Monitor" "$work"
}
trap cleanup EXIT

# PRTG starts the sensor with a working directory of its own on drive C.
cd "$work"
status=0
out=$("$wine_run" 'C:\Program Files\PRTG Network Monitor\Custom Sensors\EXEXML\quillmeter.exe' \
  2>/dev/null) || status=$?
[ "$status" -eq 2 ] || fail "without a profile name the exit code is $status, expected 2"
[ "$out" = "$(printf '<Prtg>\n<Error>1</Error>\n<Text>Error 1001: Parameter for Profile-Name is missing !</Text>\n</Prtg>')" ] ||
  fail "unexpected document without a profile name: $out"

status=0
out=$("$wine_run" 'C:\Program Files\PRTG Network Monitor\Custom Sensors\EXEXML\quillmeter.exe' DEMO \
  2>/dev/null) || status=$?
case $out in
  *"Error 1002"* | *"Sorry, invalid Path-Usage"* | "") fail "the example profile was not found: $out" ;;
esac
echo "$out"
echo "exit code $status"
