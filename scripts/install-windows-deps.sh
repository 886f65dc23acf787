#!/usr/bin/env bash
# Installs what the Windows cross builds need from Debian's packages when any
# is missing: the mingw-w64 compilers (64 and 32 bit, posix threads), Wine to
# run the tests of both (the 32-bit side needs the i386 architecture), and
# GoogleTest's sources to build it for Windows.
set -euo pipefail
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  # install-deps.sh updates the package lists, which then hold i386 too.
  $sudo dpkg --add-architecture i386
fi
exec bash "$(dirname "$0")/install-deps.sh" cmake make g++-mingw-w64-x86-64-posix \
  g++-mingw-w64-i686-posix wine wine64 wine32:i386 googletest
