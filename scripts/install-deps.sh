#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds, tests and runs with (only those missing).
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    libexpat1-dev libfreetype-dev zlib1g-dev libpng-dev
    libcairo2-dev libfontconfig-dev fonts-dejavu-core
    libusb-1.0-0-dev libasound2-dev libsdl2-dev
    libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri
    libx11-dev libxtst-dev libxfixes-dev xvfb xauth imagemagick clang-format clang libclang-rt-14-dev zenity
    umockdev libumockdev-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: every package is installed"
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update
"${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
