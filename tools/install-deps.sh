#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Brindlewick need, if any is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev lld
    qt6-base-dev qt6-base-dev-tools qt6-base-private-dev libgl-dev libxcb1-dev pkg-config libpcre2-dev
    xvfb xauth x11-utils fonts-liberation xclip xdotool twm xfonts-base
    dbus at-spi2-core python3-pyatspi qt6-gtk-platformtheme gnome-themes-extra imagemagick
    gawk mawk
    clang-format desktop-file-utils appstream dpkg-dev file lintian
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
