#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test: engine tests,
# offscreen widget tests and the replayed scenarios, then the same tests
# again in a build with AddressSanitizer and UndefinedBehaviorSanitizer,
# and random player sessions through that build (scripts/monkey.sh), then
# the core tests and tarnel-cli cross-built for Windows and run under Wine
# (scripts/windows.sh), and the window program too when Qt for MinGW is in
# the machine's cache (scripts/windows-qt.sh).
# Both builds treat compiler warnings as errors. Ends with a summary: the
# time of each phase, then "tests: N passed, N failed" as the last line.
set -uo pipefail
cd "$(dirname "$0")"
export QT_QPA_PLATFORM=offscreen

phases=()
passed=0
failed=0
status=0
junit=$(mktemp)
trap 'rm -f "$junit"' EXIT

# phase NAME COMMAND...: runs COMMAND, notes how long it took and whether it failed.
phase() {
  local name=$1; shift
  local start=$SECONDS rc=0
  "$@" || rc=$?
  local took=$((SECONDS - start))
  phases+=("$(printf '%-17s %3dm%02ds%s' "$name:" $((took / 60)) $((took % 60)) "$( ((rc)) && echo '  FAILED')")")
  ((rc)) && status=1
  return $rc
}

# run_tests DIR [VAR=VALUE...]: runs DIR's tests, showing the output of the
# failing ones, and adds their counts to the totals, counted as ctest counts
# them (a test that could not run is a failure; a skipped one is not).
run_tests() {
  local dir=$1; shift
  local rc=0 ran failures=$dir/Testing/Temporary/LastTestsFailed.log
  rm -f "$junit" "$failures"
  (cd "$dir" && env "$@" ctest --output-on-failure --progress -j2 --output-junit "$junit") || rc=$?
  if [ ! -s "$junit" ]; then
    echo "ctest in $dir wrote no results" >&2
    return 1
  fi
  ran=$(grep '<testcase ' "$junit" | grep -vc ' status="disabled"')
  local f=0
  [ -f "$failures" ] && f=$(grep -c . "$failures")
  passed=$((passed + ran - f))
  failed=$((failed + f))
  return $rc
}

# windows_tests: the Windows cross-build run under Wine against the Release
# build (scripts/windows.sh): the core tests and tarnel-cli, then the window
# program (its widget tests, the replayed scenarios, screenshots and the
# installer) when Qt for MinGW is in the machine's cache. Building that Qt
# takes hours on two cores, more than a run of this script may add: it is
# built here only with TARNEL_BUILD_WINDOWS_QT=1 (or once by hand,
# scripts/windows-qt.sh), and without it the summary says that the window
# program was not built and how to build the cache. Their tests and
# comparisons count into the totals, and a failure of either script as one
# failed test.
windows_note=""
windows_tests() {
  local log rc=0 n
  log=$(mktemp)
  { scripts/setup.sh windows && scripts/windows.sh build-test; } 2>&1 | tee "$log" || rc=$?
  n=$(sed -n 's/^windows: \([0-9]*\) tests passed$/\1/p' "$log")
  passed=$((passed + ${n:-0}))
  if ((rc)); then
    failed=$((failed + 1))
  elif scripts/windows-qt.sh --check >/dev/null || [ "${TARNEL_BUILD_WINDOWS_QT:-0}" = 1 ]; then
    local start=$SECONDS
    scripts/windows.sh gui build-windows-gui/out build-test 2>&1 | tee "$log" || rc=$?
    n=$(sed -n 's/^windows gui: \([0-9]*\) tests passed$/\1/p' "$log")
    passed=$((passed + ${n:-0}))
    ((rc)) && failed=$((failed + 1))
    windows_note="of which the window program: $(((SECONDS - start) / 60))m$(printf '%02d' $(((SECONDS - start) % 60)))s"
  else
    local took
    took=$(cat "${XDG_CACHE_HOME:-$HOME/.cache}"/tarnel/qt-*/build-time.txt 2>/dev/null | head -n 1)
    windows_note="the window program was not built for lack of the cache of Qt for MinGW"
    windows_note+=" (scripts/windows-qt.sh builds it once per machine, hours on 2 cores;"
    windows_note+=" or TARNEL_BUILD_WINDOWS_QT=1 ./test.sh${took:+; here: $took})"
  fi
  rm -f "$log"
  return $rc
}

summary() {
  echo
  echo "Summary"
  printf '  %s\n' "${phases[@]}"
  echo "tests: $passed passed, $failed failed"
  exit $status
}

phase "setup" scripts/setup.sh || summary
phase "Release build" scripts/build.sh build-test -DCMAKE_BUILD_TYPE=Release -DTARNEL_WERROR=ON || summary
phase "Release tests" run_tests build-test || summary
# The program as ./run.sh builds it from nothing: its sources in large
# batches (so two files' private names must not meet) over precompiled headers.
phase "run.sh build" env TARNEL_NO_CCACHE=1 scripts/build.sh --target tarnel build -DCMAKE_BUILD_TYPE=Release \
  -DTARNEL_WERROR=OFF || summary

if [ "${TARNEL_SKIP_SANITIZE:-0}" != 1 ]; then
  phase "sanitizer build" scripts/build.sh build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTARNEL_SANITIZE=ON \
    -DTARNEL_BENCH=OFF -DTARNEL_WERROR=ON || summary
  phase "sanitizer tests" run_tests build-sanitize ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 || summary
  if [ "${TARNEL_SKIP_MONKEY:-0}" != 1 ]; then
    phase "monkey" scripts/monkey.sh
  else
    phases+=("monkey skipped (TARNEL_SKIP_MONKEY=1)")
  fi
else
  phases+=("sanitizer builds and tests skipped (TARNEL_SKIP_SANITIZE=1)")
fi

if [ "${TARNEL_SKIP_WINDOWS:-0}" != 1 ]; then
  phase "windows" windows_tests
  [ -z "$windows_note" ] || phases+=("  windows: $windows_note")
else
  phases+=("windows skipped (TARNEL_SKIP_WINDOWS=1)")
fi

if [ "${TARNEL_SKIP_FUZZ:-0}" != 1 ]; then
  phase "fuzzing" scripts/fuzz.sh || summary
else
  phases+=("fuzzing skipped (TARNEL_SKIP_FUZZ=1)")
fi
summary
