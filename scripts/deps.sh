#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Pixelary needs to build, run and test, only when some are missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-l10n-tools qt6-translations-l10n libgl-dev
  libjpeg62-turbo-dev libpng-dev libmd-dev libgif-dev libtiff-dev libtiff-tools
  libdxflib-dev ghostscript libgs-dev libsane-dev libsane1 sane-utils
  libsm-dev libice-dev libcups2-dev cups-daemon cups-client poppler-utils
  libgtest-dev libbenchmark-dev
  imagemagick libmagickcore-6.q16-6-extra netpbm xvfb xauth xdotool dbus-daemon python3
  fonts-arphic-uming fonts-liberation
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
