#!/usr/bin/env bash
# Takes the README's pictures under Xvfb on the built-in simulated sensor: the main panel with
# Video running (also at 200 % on a screen large enough to show it whole), the measurement
# workbench with Run and recording, and the set-up assistant's steps on the still scene. The
# window's remembered geometry is neither used nor touched.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target tavrix-screenshot
mkdir -p docs
XDG_CONFIG_HOME="$(mktemp -d)"
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1920x1080x24" \
    build/default/tavrix-screenshot docs/main-panel.png
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1920x1080x24" \
    build/default/tavrix-screenshot --workbench docs/workbench.png
env -u QT_QPA_PLATFORM QT_SCALE_FACTOR=2 xvfb-run -a -s "-screen 0 3600x1500x24" \
    build/default/tavrix-screenshot docs/main-panel-200.png
env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1920x1080x24" \
    build/default/tavrix-screenshot --assistant docs/assistant.png
echo "docs/main-panel.png docs/main-panel-200.png docs/workbench.png docs/assistant-*.png"
