#!/usr/bin/env bash
# Installs what the Windows cross builds need from Debian's packages when any
# is missing: the mingw-w64 compilers (64 and 32 bit, posix threads), Wine to
# run the 64-bit tests, and GoogleTest's sources to build it for Windows.
set -euo pipefail
packages=(cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 googletest)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
