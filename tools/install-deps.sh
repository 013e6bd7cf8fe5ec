#!/usr/bin/env bash
# Installs the Debian packages Morvello needs to build, play and test, skipping those already present.
# Safe to run again and again; uses sudo when not run as root.
set -euo pipefail

packages=(
    cmake make ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-qpa-plugins
    libjpeg-dev libcurl4-openssl-dev
    fonts-liberation2
    desktop-file-utils appstream dpkg-dev file man-db lintian
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
