#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail

packages=(
  cmake g++ clang libclang-rt-14-dev
  qt6-base-dev libqt6opengl6-dev qt6-translations-l10n
  libgl-dev libglu1-mesa-dev libegl-dev libgl1-mesa-dri
  libjpeg62-turbo-dev libpng-dev libfmt-dev libseccomp-dev pkg-config libgtest-dev libbenchmark-dev libopenmesh-dev libassimp-dev
  xvfb xauth fonts-dejavu-core xdotool imagemagick
  desktop-file-utils appstream shared-mime-info man-db dpkg-dev
  python3-gi gir1.2-gnomedesktop-3.0 bubblewrap python3-meshio
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
