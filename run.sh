#!/usr/bin/env bash
# Sets up what is missing, builds and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=Release
exec build/tarnel "$@"
