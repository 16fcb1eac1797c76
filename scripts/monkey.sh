#!/usr/bin/env bash
# scripts/monkey.sh [SESSIONS] [FIRST_SEED]: random player sessions over every
# control of the main and two-star windows, replayed through the sanitizer
# build's tarnel-replay (build it first: see test.sh). Fails on a crash, a
# sanitizer report, a replay that hangs for 60 s, or a box whose text changed
# though no action addressed it. Seeds are fixed: SESSIONS sessions from
# FIRST_SEED on, so a failure replays the same way; the sessions that found a
# fault are kept under build-sanitize/monkey-faults/seed-N/session.json.
set -euo pipefail
cd "$(dirname "$0")/.."
sessions=${1:-${TARNEL_MONKEY_SESSIONS:-40}}
seed=${2:-1}
build=build-sanitize
export QT_QPA_PLATFORM=offscreen
cmake --build "$build" --target tarnel-replay tarnel-monkey >/dev/null
rm -rf "$build/monkey-faults"
exec nice "$build/tarnel-monkey" --replay "$build/tarnel-replay" --sessions "$sessions" --seed "$seed" \
  --faults "$build/monkey-faults"
