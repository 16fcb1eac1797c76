#!/usr/bin/env bash
# scripts/windows.sh [LINUX_BUILD_DIR]: cross-builds the core tests and
# tarnel-cli for Windows with MinGW-w64 (in build-windows), runs them under
# Wine and compares them with the Linux build in LINUX_BUILD_DIR (default
# build-test, which must hold core_tests and tarnel-cli):
#  - the core tests all pass, as many as on Linux less the iconv cross-checks
#    (iconv is not on Windows);
#  - tarnel-cli's run, explain and backtest (a GB18030 history, a scheme
#    with a Chinese file name, both from files and from standard input, and
#    a missing file) print the same bytes and exit the same way;
#  - the NSIS installer installs silently, the installed tarnel-cli.exe
#    prints the same bytes, and the uninstaller takes it away again.
# Ends with "windows: N tests passed" (the core tests and the comparisons).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux=$root/${1:-build-test}
dir=$root/build-windows
wine=/usr/lib/wine/wine64
export CMAKE_BUILD_PARALLEL_LEVEL=2
extra=()  # more cmake options, e.g. TARNEL_WINDOWS_CMAKE_ARGS=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
[ -z "${TARNEL_WINDOWS_CMAKE_ARGS:-}" ] || read -ra extra <<<"$TARNEL_WINDOWS_CMAKE_ARGS"

for f in "$linux/tests/core_tests" "$linux/tarnel-cli"; do
  [ -x "$f" ] || { echo "windows: $f is missing (build the Linux core_tests and tarnel-cli first)" >&2; exit 1; }
done
[ -x "$wine" ] || { echo "windows: $wine is missing (scripts/setup.sh windows)" >&2; exit 1; }

scripts/build.sh --target core_tests build-windows -DCMAKE_BUILD_TYPE=Release -DTARNEL_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64-posix.cmake -DTARNEL_CORE_ONLY=ON \
  -DTARNEL_GTEST_SOURCE=/usr/src/googletest "${extra[@]}"
cmake --build "$dir" --target tarnel-cli

# A prefix of our own, made on the first start (a few seconds), without
# asking for Mono or Gecko.
export WINEPREFIX=$dir/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" cmd /c exit >/dev/null 2>&1 || true

passed=0
fail() { echo "windows: $*" >&2; exit 1; }

# ---- the core tests ----
linux_count=$("$linux/tests/core_tests" --gtest_list_tests | grep -c '^  ')
iconv_count=$("$linux/tests/core_tests" --gtest_list_tests --gtest_filter='Gb18030.*' | grep -c '^  ')
log=$dir/core_tests.log
"$wine" "$dir/tests/core_tests.exe" --gtest_color=no >"$log" 2>&1 || { tail -n 40 "$log" >&2; fail "core tests failed under Wine"; }
wine_count=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log")
[ -n "$wine_count" ] || { tail -n 20 "$log" >&2; fail "no test count in $log"; }
if ((wine_count != linux_count - iconv_count)); then
  fail "$wine_count core tests passed under Wine, expected $linux_count less $iconv_count iconv cross-checks"
fi
echo "core tests under Wine: $wine_count passed ($linux_count on Linux, less the $iconv_count that need iconv)"
passed=$((passed + wine_count))

# ---- tarnel-cli, Linux against Wine ----
cases=$dir/cli-cases
rm -rf "$cases" && mkdir -p "$cases"
cp fuzz/corpus/scheme/both-windows.tarnel "$cases/我的方案①.tarnel"
cp tests/windows/history-gb18030.txt "$cases/开奖历史.txt"
cd "$cases"

# compare NAME STDIN-FILE EXE... -- ARGS: the same bytes out and the same exit status.
compare() {
  local name=$1 input=$2; shift 2
  local windows_exe=$1; shift
  local rc_linux=0 rc_windows=0
  "$linux/tarnel-cli" "$@" <"$input" >"$name.linux.out" 2>"$name.linux.err" || rc_linux=$?
  "$wine" "$windows_exe" "$@" <"$input" >"$name.windows.out" 2>"$name.windows.err" || rc_windows=$?
  if ((rc_linux != rc_windows)) || ! cmp -s "$name.linux.out" "$name.windows.out" ||
     ! cmp -s "$name.linux.err" "$name.windows.err"; then
    echo "tarnel-cli $* differs (exit $rc_linux on Linux, $rc_windows under Wine):" >&2
    diff <(od -c "$name.linux.out"; od -c "$name.linux.err") <(od -c "$name.windows.out"; od -c "$name.windows.err") | head -n 20 >&2
    fail "tarnel-cli output differs: $name"
  fi
  [ -s "$name.linux.out" ] || [ "$rc_linux" -ne 0 ] || fail "tarnel-cli $* printed nothing"
  passed=$((passed + 1))
}

cli_cases() {
  local exe=$1 tag=$2
  compare "$tag-run" /dev/null "$exe" run 我的方案①.tarnel
  compare "$tag-run-f2d" /dev/null "$exe" run 我的方案①.tarnel --window F2d
  compare "$tag-explain" /dev/null "$exe" explain 我的方案①.tarnel 582 123 999 000
  compare "$tag-backtest" /dev/null "$exe" backtest 我的方案①.tarnel 开奖历史.txt
  compare "$tag-backtest-f2d" /dev/null "$exe" backtest 我的方案①.tarnel 开奖历史.txt --window F2d --tolerance 1
  compare "$tag-stdin-scheme" 我的方案①.tarnel "$exe" run -
  compare "$tag-stdin-history" 开奖历史.txt "$exe" backtest 我的方案①.tarnel -
  compare "$tag-missing" /dev/null "$exe" run 没有这个方案.tarnel
}
cli_cases "$dir/tarnel-cli.exe" build
echo "tarnel-cli under Wine: the same bytes as on Linux"

# ---- the installer ----
cd "$dir"
rm -f tarnel-*-win64.exe
cpack -G NSIS >cpack.log 2>&1 || { tail -n 20 cpack.log >&2; fail "cpack -G NSIS failed"; }
installer=$(ls tarnel-*-win64.exe)
target=$dir/installed
rm -rf "$target"
"$wine" "$installer" /S "/D=Z:${target//\//\\}" >install.log 2>&1 || { cat install.log >&2; fail "$installer /S failed"; }
# The silent installer may return before its files are written.
for _ in $(seq 50); do [ -f "$target/tarnel-cli.exe" ] && break; sleep 0.2; done
[ -f "$target/tarnel-cli.exe" ] || fail "$installer /S put no tarnel-cli.exe into $target"
cd "$cases"
compare installed-run /dev/null "$target/tarnel-cli.exe" run 我的方案①.tarnel
compare installed-backtest /dev/null "$target/tarnel-cli.exe" backtest 我的方案①.tarnel 开奖历史.txt
# And it uninstalls (in place, so that it is done when the uninstaller returns).
"$wine" "$target/Uninstall.exe" /S "_?=Z:${target//\//\\}" >>"$dir/install.log" 2>&1 ||
  { cat "$dir/install.log" >&2; fail "the uninstaller failed"; }
[ ! -e "$target/tarnel-cli.exe" ] || fail "the uninstaller left tarnel-cli.exe in $target"
passed=$((passed + 1))
echo "installer $installer: installed silently, its tarnel-cli.exe prints the same bytes; uninstalled"
echo "windows: $passed tests passed"
