#!/usr/bin/env bash
# The release zip, as an administrator installs it: it holds the sensor, the
# password tool, the setup check, the README and the profile template and
# nothing else (no simulated library), and unpacked into PRTG's sensor folder
# on drive C of the Wine prefix, with the simulated library copied beside it
# and the template copied to a profile, it scans the demo system; the
# template keeps no history line, and the setup check passes without
# changing the profile.
#   package_test.sh SOURCE_DIR BUILD_DIR WINE_RUN CPACK PACKAGE_NAME
set -euo pipefail
source=$1
build=$2
wine_run=$3
cpack=$4
package_name=$5

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
# The name tells the administrator which librfc32.dll it goes with.
[ "$top" = "$package_name" ] || fail "the zip is $top.zip, expected $package_name.zip"

listing=$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')
expected=$(printf '%s\n' "$top/DEMO.Template" "$top/README.md" "$top/quillmeter-password.exe" \
  "$top/quillmeter-check.exe" "$top/quillmeter.exe" | sort | tr '\n' ' ')
[ "$listing" = "$expected" ] || fail "the zip holds [$listing], expected [$expected]"

prefix=$("$wine_run" --prefix)
drive_c=$prefix/drive_c
sensors="$drive_c/Program Files/PRTG Network Monitor/Custom Sensors/EXEXML"
work=$drive_c/quillmeter-package-work
rm -rf "$sensors" "$work"
mkdir -p "$sensors" "$work"
(cd "$tmp" && cmake -E tar xf "$zip")
cp "$tmp/$top"/* "$sensors/"
[ ! -e "$sensors/librfc32.dll" ] || fail "the zip ships a librfc32.dll"
cp "$build/librfc32.dll" "$sensors/"
cp "$source/demo/DEM.simrfc" "$work/"
# As the README's install step says: a profile is a copy of the template.
cp "$sensors/DEMO.Template" "$sensors/DEMO.P00"

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

# The first scan of the demo system reports no growth yet and stores the
# sample in the profile.
status=0
"$wine_run" 'C:\Program Files\PRTG Network Monitor\Custom Sensors\EXEXML\quillmeter.exe' DEMO \
  >"$tmp/out" 2>/dev/null || status=$?
{
  printf '\n<Prtg>\n\n<Text>(DEM) Logging: LogWrites=0, WaitBusy=0, RollBacks=0, OverFlows=0</Text>\n'
  for channel in LogWrites WaitBusy RollBacks Overflows; do
    printf '\n<Result><Channel>%s</Channel>\n<Value>0</Value></Result>\n' "$channel"
  done
  printf '\n</Prtg>\n'
} >"$tmp/expected"
[ "$status" -eq 0 ] || fail "the demo scan ended with exit code $status: $(cat "$tmp/out")"
cmp -s "$tmp/out" "$tmp/expected" || fail "unexpected document of the demo scan: $(cat -A "$tmp/out")"
grep -q '^# Alg Date=' "$sensors/DEMO.P00" || fail "the scan stored no sample in DEMO.P00"
! grep -q '^# Al' "$sensors/DEMO.Template" || fail "the template holds a history line"

# The password tool of the zip, fed as on a Windows console ("\r\n"),
# prints a stored form and rewrites the profile's password in place; the
# sensor logs on with it.
tool='C:\Program Files\PRTG Network Monitor\Custom Sensors\EXEXML\quillmeter-password.exe'
form=$(printf 'Demo2024\r\n' | "$wine_run" "$tool" 2>/dev/null) || fail "quillmeter-password.exe failed"
[ ${#form} -eq 24 ] || fail "quillmeter-password.exe printed [$form], not 24 characters"
before=$(grep '^Password' "$sensors/DEMO.P00")
printf 'Demo2024\r\n' |
  "$wine_run" "$tool" 'C:\Program Files\PRTG Network Monitor\Custom Sensors\EXEXML\DEMO.P00' \
    >/dev/null 2>&1 || fail "quillmeter-password.exe could not rewrite DEMO.P00"
[ "$(grep '^Password' "$sensors/DEMO.P00")" != "$before" ] || fail "the password line was not rewritten"
status=0
out=$("$wine_run" 'C:\Program Files\PRTG Network Monitor\Custom Sensors\EXEXML\quillmeter.exe' DEMO \
  2>/dev/null) || status=$?
[ "$status" -eq 0 ] || fail "the scan with the tool's password ended with exit code $status: $out"

# The setup check of the zip finds everything in place and writes nothing.
cp "$sensors/DEMO.P00" "$tmp/DEMO.P00.before"
status=0
out=$("$wine_run" 'C:\Program Files\PRTG Network Monitor\Custom Sensors\EXEXML\quillmeter-check.exe' \
  DEMO 2>/dev/null) || status=$?
[ "$status" -eq 0 ] || fail "the setup check ended with exit code $status: $out"
grep -q '^Result: no problems$' <<<"$out" || fail "the setup check found problems: $out"
cmp -s "$tmp/DEMO.P00.before" "$sensors/DEMO.P00" || fail "the setup check changed DEMO.P00"
echo "the zip scans: $top"
