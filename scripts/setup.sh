#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; only the missing ones, so a second
# run costs about a second. Run as root on Debian 12.
set -euo pipefail

packages=(
  cmake g++ make ninja-build pkg-config
  clang libclang-rt-14-dev
  qtbase5-dev libqt5opengl5-dev qt5-style-plugin-cleanlooks
  libboost-filesystem-dev libboost-random-dev
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth libx11-dev povray
  fonts-dejavu-core
  openbabel pymol-data
  python3-rdkit
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q -o DPkg::Lock::Timeout=600
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=600 "${missing[@]}"
fi
