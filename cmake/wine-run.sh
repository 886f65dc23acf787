#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine: no display, no debug
# chatter, and a Wine prefix of its own for each ctest run, created in a
# temporary directory on first use and removed by `wine-run.sh --cleanup`
# (the tests' cleanup fixture).
#
#   wine-run.sh PROGRAM.exe [ARGS...]   run it; its exit code is returned
#   wine-run.sh --prefix                boot the prefix, print its path
#   wine-run.sh --cleanup               stop its server and remove it
#
# QUILLMETER_WINEPREFIX names the prefix instead (kept afterwards). Outside
# ctest, without it, every call gets a prefix that is removed at exit.
# QUILLMETER_WINE_SUITE (64 unless wine32-run.sh sets 32) goes into the
# prefix's name, so each suite's drive C is its own.
set -euo pipefail

unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix boots.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

if command -v wine >/dev/null 2>&1; then
  wine=wine
elif command -v wine64 >/dev/null 2>&1; then
  wine=wine64
else
  echo "wine-run.sh: wine is not installed" >&2
  exit 127
fi

tmp=${TMPDIR:-/tmp}
suite=${QUILLMETER_WINE_SUITE:-64}

# Prints "PID STARTTIME" of the ctest process this call runs under, if any.
ctest_ancestor() {
  local pid=$PPID stat rest
  while [ "$pid" -gt 1 ] && [ -r "/proc/$pid/stat" ]; do
    stat=$(<"/proc/$pid/stat")
    rest=${stat##*) }  # the fields after the command name
    if [ "$(<"/proc/$pid/comm")" = ctest ]; then
      set -- $rest
      echo "$pid ${20}"
      return
    fi
    set -- $rest
    pid=$2
  done
}

# A prefix left behind by a ctest run that died belongs to no live process.
remove_stale_prefixes() {
  local dir pid start stat rest
  for dir in "$tmp"/quillmeter-wine*-*-*; do
    [ -d "$dir" ] || continue
    pid=${dir##*/quillmeter-wine}
    pid=${pid#*-}  # the suite
    start=${pid#*-}
    pid=${pid%%-*}
    if [ -r "/proc/$pid/stat" ]; then
      stat=$(<"/proc/$pid/stat")
      rest=${stat##*) }
      set -- $rest
      [ "${20}" = "$start" ] && continue
    fi
    # Its server must be gone before the directory: a new prefix may get the
    # same inode, and with it the same server socket.
    WINEPREFIX=$dir wineserver -k 2>/dev/null || true
    WINEPREFIX=$dir wineserver -w 2>/dev/null || true
    rm -rf "$dir" "$dir.lock"
  done
}

owned=""
if [ -n "${QUILLMETER_WINEPREFIX:-}" ]; then
  prefix=$QUILLMETER_WINEPREFIX
else
  read -r ctest_pid ctest_start < <(ctest_ancestor; echo) || true
  if [ -n "${ctest_pid:-}" ]; then
    prefix=$tmp/quillmeter-wine$suite-$ctest_pid-$ctest_start
  elif [ "${1:-}" = --prefix ] || [ "${1:-}" = --cleanup ]; then
    echo "wine-run.sh: $1 needs ctest or QUILLMETER_WINEPREFIX" >&2
    exit 2
  else
    prefix=$(mktemp -d "$tmp/quillmeter-wine$suite.XXXXXX")
    owned=$prefix
  fi
fi
export WINEPREFIX=$prefix

if [ "${1:-}" = --cleanup ]; then
  if [ -d "$prefix" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$prefix" "$prefix.lock"
  fi
  exit 0
fi

cleanup_owned() {
  if [ -n "$owned" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$owned" "$owned.lock"
  fi
}
trap cleanup_owned EXIT

# The server stays between the tests, which start one after another; a
# minute without any ends it even if no cleanup comes. It must not hold the
# caller's output open, or ctest waits for it as for the test itself.
start_server() {
  wineserver -p60 </dev/null >/dev/null 2>&1 || true
}

# Booting takes several seconds; parallel tests wait for the first one.
if [ ! -e "$prefix/.quillmeter-ready" ]; then
  [ -z "$owned" ] && [ -z "${QUILLMETER_WINEPREFIX:-}" ] && remove_stale_prefixes
  mkdir -p "$prefix"
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -e "$prefix/.quillmeter-ready" ]; then
    start_server
    "$wine" wineboot --init </dev/null >/dev/null 2>&1 || true
    if [ ! -d "$prefix/drive_c/windows" ]; then
      echo "wine-run.sh: could not create the Wine prefix $prefix" >&2
      exit 125
    fi
    touch "$prefix/.quillmeter-ready"
  fi
  exec 9>&-
fi

if [ "${1:-}" = --prefix ]; then
  echo "$prefix"
  exit 0
fi

start_server

# Not exec: the trap must still remove a prefix of this call alone.
status=0
"$wine" "$@" || status=$?
exit "$status"
