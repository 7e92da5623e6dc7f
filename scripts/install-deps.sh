#!/usr/bin/env bash
# Installs everything Ombrix needs to build, run and test on Debian 12, from Debian's archive only.
set -euo pipefail
packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6svg6 qt6-qpa-plugins
    libpoco-dev zlib1g-dev libssl-dev libarchive-dev
    p7zip-full strace
    libgtest-dev libgmock-dev
    python3-pyftpdlib python3-aiosmtpd python3-openssl
    xvfb xauth fonts-dejavu-core
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
