#!/usr/bin/env bash
# Sets up what is missing, builds the program (only the program: the tests are
# test.sh's business) and starts it. With nothing changed it starts at once.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
TARNEL_NO_CCACHE=1 scripts/build.sh --target tarnel build -DCMAKE_BUILD_TYPE=Release -DTARNEL_WERROR=OFF
exec build/tarnel "$@"
