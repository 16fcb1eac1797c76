#!/usr/bin/env bash
# Installs the Debian packages the build needs, when they are missing.
# `scripts/setup.sh windows` installs instead what the Windows cross-build
# and its checks need (scripts/windows.sh): MinGW-w64, Wine, NSIS,
# GoogleTest's sources, Xvfb and the X tools the window program is looked at
# with, and what Qt for Windows is built with (scripts/windows-qt.sh); and it
# fetches the Debian sources of Qt's base, SQLite and QCustomPlot into
# ${XDG_CACHE_HOME:-~/.cache}/tarnel/sources (scripts/windows-sources.sh).
set -euo pipefail

packages=(cmake ninja-build ccache g++ pkg-config qt6-base-dev libqt6sql6-sqlite libgl-dev fonts-noto-cjk
          libgtest-dev libbenchmark-dev nlohmann-json3-dev libqcustomplot-dev qt6-translations-l10n
          desktop-file-utils appstream shared-mime-info dpkg-dev file poppler-utils
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

# Another install may be running (an update on its own, a second setup):
# apt then holds its locks. Wait for them instead of failing, up to
# TARNEL_APT_WAIT seconds (default 600): apt-get itself waits for the dpkg
# lock, and a run that still finds a lock held is tried again.
apt_wait=${TARNEL_APT_WAIT:-600}
locks=(/var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock /var/cache/apt/archives/lock)

locks_held() {
  command -v fuser >/dev/null 2>&1 || return 1
  local lock
  for lock in "${locks[@]}"; do
    [ -e "$lock" ] && fuser "$lock" >/dev/null 2>&1 && return 0
  done
  return 1
}

apt_get() {
  local start=$SECONDS out status
  while :; do
    while locks_held && ((SECONDS - start < apt_wait)); do
      echo "Waiting for another package install to finish…" >&2
      sleep 5
    done
    set +e
    out=$("${sudo[@]}" apt-get -o DPkg::Lock::Timeout="$apt_wait" "$@" 2>&1)
    status=$?
    set -e
    printf '%s\n' "$out"
    ((status == 0)) && return 0
    if grep -qiE 'could not get lock|unable to lock|unable to acquire the dpkg|is another process using it' <<<"$out" &&
       ((SECONDS - start < apt_wait)); then
      echo "The package manager is busy; trying again…" >&2
      sleep "${TARNEL_APT_RETRY_PAUSE:-5}"
      continue
    fi
    return "$status"
  done
}

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  apt_get update -q
  apt_get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ "${1:-}" = windows ]; then
  "$(dirname "$0")/windows-sources.sh" "${XDG_CACHE_HOME:-$HOME/.cache}/tarnel/sources"
fi
