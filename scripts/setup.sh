#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing.
# `scripts/setup.sh windows` installs instead what the Windows cross-build
# and its checks need (scripts/windows.sh): MinGW-w64, Wine, NSIS and
# GoogleTest's sources.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libqt6sql6-sqlite libgl-dev fonts-noto-cjk
          libgtest-dev libbenchmark-dev nlohmann-json3-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n
          desktop-file-utils appstream shared-mime-info dpkg-dev file
          clang libclang-rt-14-dev)
if [ "${1:-}" = windows ]; then
  packages=(cmake ninja-build nlohmann-json3-dev googletest libgtest-dev
            g++-mingw-w64-x86-64-posix wine64 nsis)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
