#!/usr/bin/env bash
# Installs whatever the build, the program and the tests need and the machine lacks
# (Debian 12, as root). Used by both set-up commands of the README. Further package names
# given as arguments are installed too when missing (scripts that need more tools).
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    zlib1g-dev
    libgtest-dev
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    if [[ $(id -u) -ne 0 ]]; then
        echo "Installing packages needs root; run this command as root (or with sudo)." >&2
        exit 1
    fi
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
