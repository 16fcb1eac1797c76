#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test: engine tests,
# offscreen widget tests and the replayed scenarios, then the same tests
# again in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

scripts/build.sh build -DCMAKE_BUILD_TYPE=Release
(cd build && ctest --output-on-failure)

if [ "${TARNEL_SKIP_SANITIZE:-0}" != 1 ]; then
  scripts/build.sh build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTARNEL_SANITIZE=ON -DTARNEL_BENCH=OFF
  (cd build-sanitize && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure)
fi
