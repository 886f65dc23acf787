#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds, and runs a scan of the demo system.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev
bash scripts/demo.sh
