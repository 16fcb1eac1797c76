#!/usr/bin/env bash
# scripts/build.sh [--target NAME] DIR [cmake options...]: configures DIR and
# builds NAME there (every target when no --target is given).
#
# CMake runs only when DIR has not been configured yet or was configured with
# other options; after that Ninja re-runs CMake by itself whenever a
# CMakeLists.txt changes, so a build with nothing to do returns at once.
set -euo pipefail
cd "$(dirname "$0")/.."
target=()
if [ "${1:-}" = --target ]; then
  target=(--target "$2"); shift 2
fi
dir=$1; shift

# ccache, when the machine has it (scripts/setup.sh installs it), keeps the
# compiled objects of earlier builds: paths below the checkout are hashed
# relative to it, so another clone of the same sources hits the same cache.
# TARNEL_NO_CCACHE=1 builds without it.
if [ "${TARNEL_NO_CCACHE:-0}" != 1 ] && command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
  set -- "$@" -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache
fi

options_file=$dir/.tarnel-cmake-options
options=$(printf '%q\n' -G Ninja "$@")
if [ ! -f "$dir/build.ninja" ] || [ "$(cat "$options_file" 2>/dev/null)" != "$options" ]; then
  rm -f "$options_file"
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
  printf '%s\n' "$options" >"$options_file"
fi
cmake --build "$dir" "${target[@]}"
