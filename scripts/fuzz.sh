#!/usr/bin/env bash
# scripts/fuzz.sh [SECONDS]: builds the fuzz harnesses of fuzz/ (clang,
# libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in build-fuzz/
# and runs each one on a copy of its seed corpus fuzz/corpus/NAME/, the
# SECONDS (default 180) shared equally among them. The repository is not
# modified: new inputs go to a temporary copy that is removed afterwards.
#
# Any crash, violated property, leak or slow input (over 10 s) fails the
# script; the input that caused it is kept in build-fuzz/artifacts/NAME/
# and can be replayed with build-fuzz/fuzz/NAME_fuzz FILE.
set -euo pipefail
cd "$(dirname "$0")/.."
total=${1:-180}
if ! [[ $total =~ ^[0-9]+$ ]] || ((total < 1)); then
  echo "usage: scripts/fuzz.sh [SECONDS]" >&2
  exit 2
fi

scripts/build.sh --target fuzzers build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DTARNEL_FUZZ=ON -DTARNEL_BENCH=OFF -DTARNEL_WERROR=ON

names=()
for source in fuzz/*_fuzz.cpp; do
  name=${source##*/}
  names+=("${name%_fuzz.cpp}")
done
per=$((total / ${#names[@]}))
((per >= 1)) || per=1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

echo "fuzzing ${#names[@]} harnesses, ${per}s each"
failures=0
for name in "${names[@]}"; do
  corpus=$work/corpus/$name
  artifacts=build-fuzz/artifacts/$name
  mkdir -p "$corpus"
  rm -rf "$artifacts" && mkdir -p "$artifacts"
  [ -d "fuzz/corpus/$name" ] && cp -R "fuzz/corpus/$name/." "$corpus/"
  options=(-max_total_time="$per" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$artifacts/")
  [ -f "fuzz/$name.dict" ] && options+=(-dict="fuzz/$name.dict")
  log=$work/$name.log
  rc=0
  "build-fuzz/fuzz/${name}_fuzz" "${options[@]}" "$corpus" >"$log" 2>&1 || rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
  if ((rc == 0)); then
    printf '  %-14s ok      %8s runs, %s\n' "$name" "${runs:-?}" "${coverage:-cov: ?}"
  else
    failures=$((failures + 1))
    printf '  %-14s FAILED  (exit %d)\n' "$name" "$rc"
    grep -E '^\*\*\* property violated|^    [^#]|ERROR: |SUMMARY: |Test unit written to' "$log" | head -20 | sed 's/^/    /'
    echo "    full log: build-fuzz/artifacts/$name/log.txt"
    cp "$log" "$artifacts/log.txt"
  fi
done
if ((failures)); then
  echo "fuzzing: $failures of ${#names[@]} harnesses failed"
  exit 1
fi
echo "fuzzing: all ${#names[@]} harnesses passed"
