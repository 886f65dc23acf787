#!/usr/bin/env bash
# wine-run.sh for the 32-bit executables. They run in a 64-bit prefix as on
# a 64-bit probe (WOW64: "Program Files (x86)", the 32-bit system folder),
# but never in the 64-bit suite's prefix: the two suites own drive C alone.
# QUILLMETER_WINE32PREFIX names the prefix instead (kept afterwards).
export QUILLMETER_WINE_SUITE=32
export QUILLMETER_WINEPREFIX=${QUILLMETER_WINE32PREFIX:-}
exec "$(dirname "$0")/wine-run.sh" "$@"
