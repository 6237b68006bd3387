#!/usr/bin/env bash
# Installs the Debian packages the demo and its tests need. Idempotent: when every package is
# already installed it does nothing and needs no network.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    libglfw3-dev libglew-dev libassimp-dev libfreeimage-dev libglm-dev libx11-dev
    libimgui-dev libstb-dev
    libgtest-dev
    xvfb xauth libgl1-mesa-dri xdotool x11-apps
    libegl-dev libegl-mesa0
    clang libclang-rt-14-dev
    nlohmann-json3-dev glslang-tools gnuplot-nox apitrace
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
