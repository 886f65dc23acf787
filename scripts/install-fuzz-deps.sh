#!/usr/bin/env bash
# Installs what the fuzz targets need from Debian's packages when missing:
# clang with its libFuzzer and sanitizer runtimes.
exec bash "$(dirname "$0")/install-deps.sh" clang-14 libclang-rt-14-dev
