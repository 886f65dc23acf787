#!/usr/bin/env bash
# Installs what the Windows cross builds need from Debian's packages when any
# is missing: the mingw-w64 compilers (64 and 32 bit, posix threads), Wine to
# run the 64-bit tests, and GoogleTest's sources to build it for Windows.
exec bash "$(dirname "$0")/install-deps.sh" cmake make g++-mingw-w64-x86-64-posix \
  g++-mingw-w64-i686-posix wine wine64 googletest
