#!/usr/bin/env bash
# Takes the README's pictures under Xvfb on the built-in simulated sensor: the main window with
# Video running, the measurement workbench with Run and recording, the sensor box after a send to
# RAM with an unsent edit, and the set-up assistant's steps on the still scene. The window's
# remembered geometry is neither used nor touched.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target tavrix-screenshot
mkdir -p docs
XDG_CONFIG_HOME="$(mktemp -d)"
XDG_DATA_HOME="$(mktemp -d)"  # the change log of the pictures' sends
export XDG_CONFIG_HOME XDG_DATA_HOME
trap 'rm -rf "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"' EXIT
# The screens of set-up laptops, 1366 x 768 and 1024 x 600, with Video; Run with the workbench dock
# beside the panel on a wide screen; and the panel at 200 % on a screen large enough to show it.
shot() {  # SCREEN [OPTIONS...] OUTPUT
    local screen="$1"
    shift
    env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 ${screen}x24" build/default/tavrix-screenshot "$@"
}
shot 1366x768 docs/window-1366x768.png
shot 1920x1080 --workbench docs/workbench.png
shot 1920x1080 --safe docs/safe-setup.png
shot 1024x600 docs/window-1024x600.png
QT_SCALE_FACTOR=2 shot 3600x1500 docs/main-panel-200.png
shot 1920x1080 --assistant docs/assistant.png
echo "docs/window-1366x768.png docs/workbench.png docs/safe-setup.png docs/window-1024x600.png docs/main-panel-200.png docs/assistant-*.png"
