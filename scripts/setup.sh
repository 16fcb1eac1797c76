#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing.
# `scripts/setup.sh windows` installs instead what the Windows cross-build
# and its checks need (scripts/windows.sh): MinGW-w64, Wine, NSIS,
# GoogleTest's sources, Xvfb and the X tools the window program is looked at
# with, and what Qt for Windows is built with (scripts/windows-qt.sh); and it
# fetches the Debian sources of Qt's base, SQLite and QCustomPlot into
# ${XDG_CACHE_HOME:-~/.cache}/tarnel/sources (scripts/windows-sources.sh).
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev fonts-noto-cjk
          libgtest-dev libbenchmark-dev nlohmann-json3-dev libqcustomplot-dev qt6-translations-l10n
          desktop-file-utils appstream shared-mime-info dpkg-dev file
          clang libclang-rt-14-dev)
if [ "${1:-}" = windows ]; then
  packages=(cmake ninja-build nlohmann-json3-dev googletest libgtest-dev
            g++-mingw-w64-x86-64-posix wine64 nsis
            qt6-base-dev qt6-base-dev-tools qt6-translations-l10n dpkg-dev tcl make
            xvfb xauth x11-utils imagemagick fonts-noto-cjk)
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
if [ "${1:-}" = windows ]; then
  "$(dirname "$0")/windows-sources.sh" "${XDG_CACHE_HOME:-$HOME/.cache}/tarnel/sources"
fi
