#!/usr/bin/env bash
# Installs the Debian 12 packages the panel needs to build, test, package and run, when
# any is missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git dpkg-dev file
  qt6-base-dev qt6-serialport-dev libqt6serialport6 libgl-dev
  libsqlcipher-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang clang-tidy libclang-rt-14-dev
  xvfb xauth x11-apps imagemagick fonts-dejavu-core
  help2man man-db lintian appstream desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
