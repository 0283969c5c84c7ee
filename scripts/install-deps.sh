#!/usr/bin/env bash
# Installs every Debian 12 package the project needs. Idempotent: quick when all is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-tools-dev qt6-serialport-dev
  libqcustomplot-dev libqcustomplot2.1-qt6
  googletest libgtest-dev
  xvfb xauth
  dbus-daemon at-spi2-core python3-pyatspi
  clang libclang-rt-14-dev
  clang-format
  ccache
  g++-mingw-w64-x86-64-posix wine64
  libmosquitto-dev mosquitto mosquitto-clients openssl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
