#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building, testing and running Korvex-12.
set -euo pipefail
packages=(build-essential cmake g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev libgl-dev socat xvfb xauth
          g++-mingw-w64-x86-64 wine wine64  # the Windows build and its tests
          dpkg-dev file lintian desktop-file-utils appstream nsis unzip man-db  # the packages and their checks
          xdotool dbus at-spi2-core python3-pyatspi)  # the installed window, found as a robot finds it
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep "install ok installed" > /dev/null || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [[ $(id -u) -ne 0 ]] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
