#!/usr/bin/env bash
# Runs a Windows program of the cross build under Wine: no display, no debug
# chatter, and a Wine prefix of its own for each ctest run, created in a
# temporary directory on first use and removed by `wine-run.sh --cleanup`
# (the tests' cleanup fixture).
#
#   wine-run.sh PROGRAM.exe [ARGS...]   run it; its exit code is returned
#   wine-run.sh --prefix                boot the prefix, print its path
#   wine-run.sh --cleanup               stop its server and remove it
#   wine-run.sh --loader                print the Wine loader programs run with
#   wine-run.sh --runnable              exit 0 if this machine runs the suite
#
# QUILLMETER_WINEPREFIX names the prefix instead (kept afterwards). Outside
# ctest, without it, every call gets a prefix that is removed at exit.
# QUILLMETER_WINE_SUITE (64 unless wine32-run.sh sets 32) goes into the
# prefix's name, so each suite's drive C is its own.
#
# A kernel without 32-bit support cannot start Wine's 32-bit loader. There
# the 32-bit suite is not run: every call prints why on standard error and
# exits 77, which the suite's tests take as "skipped"; a test listing names
# one stand-in test per program, so that ctest shows what was skipped. Any
# other failure of the loader is left to fail the tests.
# QUILLMETER_WINE32_LOADER names the 32-bit loader instead (the harness's
# own test gives it one that the kernel refuses).
set -euo pipefail

unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all
# No Mono or Gecko installer prompts while the prefix boots.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

tmp=${TMPDIR:-/tmp}
suite=${QUILLMETER_WINE_SUITE:-64}

# Debian's `wine` wrapper always starts the 32-bit loader once wine32 is
# installed, which a kernel without 32-bit support refuses: 64-bit programs
# go to the 64-bit loader itself.
if [ "$suite" = 32 ]; then
  candidates=("${QUILLMETER_WINE32_LOADER:-/usr/lib/wine/wine}" wine)
else
  candidates=(/usr/lib/wine/wine64 wine64 wine)
fi
wine=""
for candidate in "${candidates[@]}"; do
  if [ -x "$candidate" ] || { [[ $candidate != */* ]] && command -v "$candidate" >/dev/null 2>&1; }; then
    wine=$candidate
    break
  fi
done
if [ -z "$wine" ]; then
  echo "wine-run.sh: wine is not installed" >&2
  exit 127
fi

if [ "${1:-}" = --loader ]; then
  echo "$wine"
  exit 0
fi

if [ "$suite" = 32 ]; then
  started=0
  why=$("$wine" --version 2>&1 >/dev/null) || started=$?
  # Only the kernel's refusal skips; bash reports it as status 126.
  if [ "$started" = 126 ] && [[ $why == *"Exec format error"* ]]; then
    reason="32-bit suite not run: this machine's kernel runs no 32-bit programs"
    reason+=" (Wine's 32-bit loader: Exec format error)"
    case "${1:-}" in
      --cleanup) exit 0 ;;
      --runnable | --prefix) echo "$reason" >&2; exit 77 ;;
    esac
    for arg in "$@"; do
      if [ "$arg" = --gtest_list_tests ]; then
        program=${1##*/}
        printf '%s.\n  NotRunOnThisMachine\n' "${program%.exe}"
        exit 0
      fi
    done
    echo "$reason" >&2
    exit 77
  fi
fi
[ "${1:-}" = --runnable ] && exit 0
# A stand-in test listed where the suite could not run would pass here
# without running anything: the listing must be made again.
for arg in "$@"; do
  if [[ $arg == --gtest_filter=*.NotRunOnThisMachine ]]; then
    echo "wine-run.sh: this test list was made where the suite could not run; rebuild to list it again" >&2
    exit 1
  fi
done

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
