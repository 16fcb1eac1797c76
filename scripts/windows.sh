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
#
# scripts/windows.sh gui DIR [LINUX_BUILD_DIR]: the window program, below.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
wine=/usr/lib/wine/wine64
export CMAKE_BUILD_PARALLEL_LEVEL=2
extra=()  # more cmake options, e.g. TARNEL_WINDOWS_CMAKE_ARGS=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
[ -z "${TARNEL_WINDOWS_CMAKE_ARGS:-}" ] || read -ra extra <<<"$TARNEL_WINDOWS_CMAKE_ARGS"
fail() { echo "windows: $*" >&2; exit 1; }
# wine_done: waits until the Wine programs of this prefix have ended and its server with them.
wine_done() { timeout 60 "${wine%/*}/wineserver64" -w || "${wine%/*}/wineserver64" -k || true; }
[ -x "$wine" ] || fail "$wine is missing (scripts/setup.sh windows)"

# ---- the window program: scripts/windows.sh gui DIR [LINUX_BUILD_DIR] ----
# Builds Qt for MinGW-w64 first when the cache lacks it (scripts/windows-qt.sh),
# then into DIR: tarnel.exe with everything it needs beside it (as the
# installer lays it out), tarnel-cli.exe, tarnel-replay.exe, ui_tests.exe and
# the installer. Under Wine it then checks:
#  - with the offscreen platform plugin, the widget tests pass, as many as on
#    Linux less those that cannot run on Windows (tests/CMakeLists.txt names
#    them and why);
#  - every replay scenario of tests/scenarios gives through tarnel-replay.exe
#    the expected output, exit status and error output byte for byte;
#  - under Xvfb with the windows platform plugin, the screenshot tests save
#    the main window, the history window and the results view (DIR/screenshots);
#  - the installer installs silently, the installed tarnel.exe starts with a
#    .tarnel file and shows it in its title, and the uninstaller removes the
#    program and leaves the player's data.
# Ends with "windows gui: N tests passed".
gui() {
  local out=$1 linux=$root/${2:-build-test}
  mkdir -p "$out"
  out=$(cd "$out" && pwd)
  local qt
  qt=$(scripts/windows-qt.sh)
  local build=$root/build-windows-gui
  local shared=$root/cmake/mingw-w64-x86_64-posix-shared.cmake
  local started=$SECONDS
  scripts/build.sh --target ui_tests build-windows-gui -DCMAKE_BUILD_TYPE=Release -DTARNEL_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" -DQT_CHAINLOAD_TOOLCHAIN_FILE="$shared" \
    -DCMAKE_PREFIX_PATH="$qt" -DTARNEL_BENCH=OFF -DTARNEL_GTEST_SOURCE=/usr/src/googletest "${extra[@]}"
  cmake --build "$build" --target tarnel-replay
  echo "windows gui: built in $((SECONDS - started)) s"

  # The program as the installer lays it out, and the test programs beside it.
  rm -rf "$out/program"
  cmake --install "$build" --prefix "$out/program" >/dev/null
  cp "$build/tests/ui_tests.exe" "$build/tarnel-replay.exe" "$out/program/"
  cp "$qt/bin/Qt6Test.dll" "$out/program/"
  cp "$qt/plugins/platforms/qoffscreen.dll" "$out/program/platforms/"
  cp "$out/program/"*.exe "$out/"
  local program=$out/program

  export WINEPREFIX=$build/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  # Wine keeps the QT_ variables of Linux from Windows programs (they belong
  # to the Linux Qt); WINEQT_NAME reaches them as QT_NAME.
  # DLLs and plugins for the programs started from the build folder (the tests
  # start tarnel-cli.exe and tarnel.exe there).
  export WINEPATH="Z:${program//\//\\}" WINEQT_PLUGIN_PATH="Z:${program//\//\\}"
  "$wine" cmd /c exit >/dev/null 2>&1 || true
  # The offscreen platform of Qt for Windows takes its fonts from one folder
  # (QT_QPA_FONTDIR), not from the system: there, the fonts the Linux tests see.
  rm -rf "$out/fonts" && mkdir -p "$out/fonts"
  fc-list -f '%{file}\n' | sort -u | while read -r font; do ln -sf "$font" "$out/fonts/"; done
  export WINEQT_QPA_FONTDIR="Z:${out//\//\\}\\fonts"
  local passed=0

  # ---- the widget tests ----
  # The same tests as on Linux less those that cannot run on Windows
  # (tests/CMakeLists.txt says why), and all of them pass.
  local log=$out/ui_tests.log wine_count
  local posix_only='CliLimits.*:*KilledWriter*:HistoryLimitsTest.Pipes*:*/FullDisk.*'
  posix_only+=':OneReading.CombineRefusesAFifoAtOnceAlsoWhenRemembered:SessionEnds.TerminationSignalsEndTheProgramInOrder'
  # The full names, sorted: the two linkers register the tests in different orders.
  tests_of() { tr -d '\r' | awk '/^[^ ]/ { suite = $1 } /^  / { print suite $1 }' | sort; }
  "$linux/tests/ui_tests" --gtest_list_tests --gtest_filter="-$posix_only" 2>/dev/null | tests_of >"$out/ui_tests.linux-list"
  (cd "$program" && WINEQT_QPA_PLATFORM=offscreen timeout 120 "$wine" ui_tests.exe --gtest_list_tests) | tests_of \
    >"$out/ui_tests.windows-list"
  diff "$out/ui_tests.linux-list" "$out/ui_tests.windows-list" >&2 ||
    fail "the Windows widget tests are not those of Linux less the POSIX-only ones ($posix_only)"
  (cd "$program" && WINEQT_QPA_PLATFORM=offscreen timeout 1800 "$wine" ui_tests.exe --gtest_color=no) >"$log" 2>&1 ||
    { grep -E '^\[  FAILED  \]|Failure' "$log" | head -n 40 >&2; fail "widget tests failed under Wine ($log)"; }
  wine_count=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log" | tr -d '\r')
  [ -n "$wine_count" ] || { tail -n 20 "$log" >&2; fail "no test count in $log"; }
  echo "widget tests under Wine: $wine_count passed, $(grep -c . "$out/ui_tests.windows-list") in all" \
       "(Linux's less the POSIX-only $posix_only)"
  passed=$((passed + wine_count))

  # ---- the replayed scenarios, byte for byte ----
  local scenario name got status want_status n=0
  mkdir -p "$out/scenarios"
  for scenario in "$root"/tests/scenarios/*.json; do
    name=$(basename "$scenario" .json)
    status=0
    (cd "$out/scenarios" && WINEQT_QPA_PLATFORM=offscreen timeout 300 "$wine" "$program/tarnel-replay.exe" "$scenario" \
       >"$name.out" 2>"$name.err") || status=$?
    want_status=0
    [ -f "${scenario%.json}.status" ] && want_status=$(tr -d '[:space:]' <"${scenario%.json}.status")
    [ "$status" = "$want_status" ] || fail "scenario $name: exit status $status under Wine, $want_status expected"
    cmp -s "$out/scenarios/$name.out" "${scenario%.json}.expected" ||
      { diff "${scenario%.json}.expected" "$out/scenarios/$name.out" | head -n 20 >&2; fail "scenario $name: output differs"; }
    if [ -f "${scenario%.json}.stderr" ]; then
      cmp -s "$out/scenarios/$name.err" "${scenario%.json}.stderr" ||
        { diff "${scenario%.json}.stderr" "$out/scenarios/$name.err" | head -n 20 >&2; fail "scenario $name: error output differs"; }
    fi
    n=$((n + 1))
  done
  echo "replayed scenarios under Wine: $n, the same bytes as the expected files"
  passed=$((passed + n))

  # ---- tarnel-cli draws, handed over to tarnel-cli-draws.exe beside it ----
  local draws=$out/draws
  rm -rf "$draws" && mkdir -p "$draws"
  printf '2026224 2026-08-22 3 7 7\r\n2026225 5 8 2\r\n582\r\n' >"$draws/开奖.txt"
  local case_name want_code
  for case_name in import export refused; do
    local args=()
    case $case_name in
      import) args=(draws import --db 开奖库.sqlite --lottery 3d 开奖.txt) ;;
      export) args=(draws export --db 开奖库.sqlite --lottery 3d) ;;
      refused) args=(draws import --db 开奖库.sqlite --lottery 4d 开奖.txt) ;;
    esac
    mkdir -p "$draws/linux" "$draws/windows"
    cp "$draws/开奖.txt" "$draws/linux/"; cp "$draws/开奖.txt" "$draws/windows/"
    want_code=0
    (cd "$draws/linux" && "$linux/tarnel-cli" "${args[@]}" >"$case_name.out" 2>"$case_name.err") || want_code=$?
    status=0
    (cd "$draws/windows" && timeout 120 "$wine" "$program/tarnel-cli.exe" "${args[@]}" >"$case_name.out" 2>"$case_name.err") ||
      status=$?
    [ "$status" = "$want_code" ] || fail "tarnel-cli draws ($case_name): exit status $status under Wine, $want_code on Linux"
    for stream in out err; do
      cmp -s "$draws/linux/$case_name.$stream" "$draws/windows/$case_name.$stream" ||
        { diff "$draws/linux/$case_name.$stream" "$draws/windows/$case_name.$stream" | head -n 10 >&2
          fail "tarnel-cli draws ($case_name): standard $stream differs from Linux"; }
    done
  done
  echo "tarnel-cli draws under Wine (handed over to tarnel-cli-draws.exe): import, export and a refusal as on Linux"
  passed=$((passed + 1))

  # ---- on a screen, with the windows platform plugin ----
  # Wine's desktop lives as long as its server: one started by the runs
  # without a screen would stand in for the screen at 1024x768.
  wine_done
  rm -rf "$out/screenshots" && mkdir -p "$out/screenshots"
  local shots
  shots="Z:${out//\//\\}\\screenshots"
  (cd "$program" && TARNEL_SCREENSHOTS="$shots" WINEQT_QPA_PLATFORM=windows xvfb-run -a -s "-screen 0 1366x768x24" \
     timeout 600 "$wine" ui_tests.exe --gtest_color=no --gtest_output="xml:Z:${out//\//\\}\\screenshots.xml" \
     --gtest_filter='WindowFitTest.Screenshots:BacktestMoneyTest.Screenshots:TrendViewTest.Screenshot') \
    >"$out/screenshots.log" 2>&1 || { tail -n 20 "$out/screenshots.log" >&2; fail "the screenshots failed"; }
  # Drawn by the windows platform plugin, not the offscreen one the tests fall back to.
  grep -Eq 'platform="windows"|name="platform" value="windows"' "$out/screenshots.xml" ||
    fail "the screenshots were not taken with the windows platform plugin ($out/screenshots.xml)"
  for shot in main-window history-window results-group history-backtest-money; do
    ls "$out/screenshots/$shot"*.png >/dev/null 2>&1 || fail "no $shot screenshot in $out/screenshots"
  done
  echo "screenshots with the windows platform plugin: $out/screenshots"
  passed=$((passed + 1))

  # ---- the installer ----
  (cd "$build" && rm -f tarnel-*-win64.exe && cpack -G NSIS >cpack.log 2>&1) ||
    { tail -n 20 "$build/cpack.log" >&2; fail "cpack -G NSIS failed"; }
  local installer
  installer=$(ls "$build"/tarnel-*-win64.exe)
  cp "$installer" "$out/"
  installed_gui "$out/$(basename "$installer")" "$out"
  passed=$((passed + 1))
  echo "windows gui: $passed tests passed"
}

# installed_gui INSTALLER OUT: installs silently (into Program Files, with the
# file type and the Start-menu entry), opens a .tarnel file the way Explorer
# does (by its file type), sees the window show the scheme, uninstalls, and
# checks that the player's data stayed.
installed_gui() {
  local installer=$1 out=$2
  unset WINEPATH WINEQT_PLUGIN_PATH
  wine_done
  local target='C:\Program Files\Tarnel'
  timeout 300 "$wine" "$installer" /S >"$out/install.log" 2>&1 || { cat "$out/install.log" >&2; fail "$installer /S failed"; }
  local unix_target
  unix_target=$("$wine" winepath -u "$target" 2>/dev/null | tr -d '\r')
  for _ in $(seq 100); do [ -f "$unix_target/tarnel.exe" ] && [ -f "$unix_target/Uninstall.exe" ] && break; sleep 0.2; done
  [ -f "$unix_target/tarnel.exe" ] || fail "the installer put no tarnel.exe into $target"
  for f in Qt6Core.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll translations/qtbase_zh_CN.qm \
           libstdc++-6.dll libwinpthread-1.dll qt.conf; do
    [ -f "$unix_target/$f" ] || fail "the installer left out $f"
  done
  "$wine" reg query 'HKCR\.tarnel' 2>/dev/null | tr -d '\r' | grep -q Tarnel.Scheme || fail ".tarnel is not Tarnel's file type"
  find "$WINEPREFIX/drive_c" -path '*/Start Menu/Programs/Tarnel/Tarnel.lnk' | grep -q . ||
    fail "the installer made no Start-menu entry Tarnel\\Tarnel"
  # The player's data folder, as the program finds it (QStandardPaths): empty before its first start.
  local appdata
  appdata=$("$wine" winepath -u "$("$wine" cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null | tr -d '\r')
  rm -rf "$appdata/Tarnel"
  wine_done
  # A scheme opened through its file type, on a screen: the window's title names it.
  local scheme=$out/我的方案.tarnel
  cp "$root/fuzz/corpus/scheme/both-windows.tarnel" "$scheme"
  # Only what the installer put there: no DLLs or plugins from the test folder.
  # Closed as a window is closed (WM_CLOSE), so that it ends as it does for a player.
  env -u WINEPATH -u WINEQT_PLUGIN_PATH xvfb-run -a -s "-screen 0 1366x768x24" bash -c '
    "$0" start /unix "$1" >/dev/null 2>&1 &
    for _ in $(seq 150); do
      if LC_ALL=C.UTF-8 xwininfo -root -tree 2>/dev/null | grep "\.tarnel - Tarnel"; then
        sleep 1.5  # the last conditions are written a second after they change
        import -window root "$2/installed-tarnel.png" 2>/dev/null || true
        "$0" taskkill /im tarnel.exe >/dev/null 2>&1 || true
        timeout 60 "$3" -w || "$3" -k
        exit 0
      fi
      sleep 0.2
    done
    xwininfo -root -tree >&2
    "$3" -k >/dev/null 2>&1 || true
    exit 1' "$wine" "$scheme" "$out" "${wine%/*}/wineserver64" >"$out/open.log" 2>&1 ||
    { cat "$out/open.log" >&2; fail "the installed tarnel.exe did not show $scheme"; }
  echo "the installed tarnel.exe, opened by the file type: $(grep -o '"[^"]*\.tarnel - Tarnel"' "$out/open.log" | head -n 1)"
  # What the program kept for the player: its settings (the recent list names
  # the scheme) and its data folder.
  local kept=("$appdata/Tarnel/Tarnel.ini" "$appdata/Tarnel/Tarnel/last.tarnel")
  for f in "${kept[@]}"; do [ -f "$f" ] || fail "tarnel.exe kept no ${f#"$appdata"/} under %APPDATA%"; done
  grep -q 'tarnel' "$appdata/Tarnel/Tarnel.ini" || fail "the settings do not name the scheme opened"
  timeout 300 "$wine" "$unix_target/Uninstall.exe" /S "_?=$target" >>"$out/install.log" 2>&1 ||
    { cat "$out/install.log" >&2; fail "the uninstaller failed"; }
  # Under Wine the uninstaller may return before it has done its work.
  wine_done
  [ ! -e "$unix_target/tarnel.exe" ] || fail "the uninstaller left tarnel.exe"
  for f in "${kept[@]}"; do [ -f "$f" ] || fail "the uninstaller took the player's ${f#"$appdata"/}"; done
  echo "installer: installed silently, opened 我的方案.tarnel by its file type, uninstalled, the player's data kept"
}

if [ "${1:-}" = gui ]; then
  [ -n "${2:-}" ] || fail "usage: scripts/windows.sh gui DIR [LINUX_BUILD_DIR]"
  for f in "$root/${3:-build-test}/tests/ui_tests"; do
    [ -x "$f" ] || fail "$f is missing (build the Linux ui_tests first)"
  done
  gui "$2" "${3:-build-test}"
  exit 0
fi

linux=$root/${1:-build-test}
dir=$root/build-windows

for f in "$linux/tests/core_tests" "$linux/tarnel-cli"; do
  [ -x "$f" ] || { echo "windows: $f is missing (build the Linux core_tests and tarnel-cli first)" >&2; exit 1; }
done

scripts/build.sh --target core_tests build-windows -DCMAKE_BUILD_TYPE=Release -DTARNEL_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64-posix.cmake -DTARNEL_CORE_ONLY=ON \
  -DTARNEL_GTEST_SOURCE=/usr/src/googletest "${extra[@]}"
cmake --build "$dir" --target tarnel-cli

# A prefix of our own, made on the first start (a few seconds), without
# asking for Mono or Gecko.
export WINEPREFIX=$dir/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" cmd /c exit >/dev/null 2>&1 || true

passed=0

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
