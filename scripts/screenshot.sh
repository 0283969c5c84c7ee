#!/usr/bin/env bash
# Takes the README's pictures under Xvfb on the built-in simulated sensor: the main panel with
# Video running, and the measurement workbench with Run and recording.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target tavrix-screenshot
mkdir -p docs
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1366x768x24" \
    build/default/tavrix-screenshot docs/main-panel.png
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1366x768x24" \
    build/default/tavrix-screenshot --workbench docs/workbench.png
echo "docs/main-panel.png docs/workbench.png"
