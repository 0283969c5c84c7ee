#!/usr/bin/env bash
# Installs what is missing, builds and starts the tool. Without TAVRIX_COM1 set, port 1 is the
# built-in simulated sensor, so the tool can be tried without hardware.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target tavrix-didor
export TAVRIX_COM1="${TAVRIX_COM1:-sim}"
exec build/default/tavrix-didor
