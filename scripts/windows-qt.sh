#!/usr/bin/env bash
# scripts/windows-qt.sh: prints the folder that holds Qt (and QCustomPlot)
# built for Windows with MinGW-w64, building it first when it is not there.
#
# It is built once per machine, from Debian's own sources (fetched by
# scripts/windows-sources.sh), into a cache folder named by the Qt version
# and the build options, and reused from then on:
#   ${XDG_CACHE_HOME:-~/.cache}/tarnel/qt-VERSION-mingw64-shared-release-HASH
# It holds only what the window program, its replay tool and its widget
# tests use: Core, Gui, Widgets, PrintSupport, Concurrent, Test, Sql with the
# SQLite plugin (SQLite itself from Debian's sqlite3 source), Network, and
# the windows, offscreen and minimal platform plugins; OpenGL stays dynamic
# (the windows plugin of this Qt does not build without it), and so does
# Direct2D (without it PrintSupport misses a DirectWrite symbol). Tablet events
# are left out: Debian's source lacks the wintab headers they need.
#
# --check: prints the folder and succeeds only when the build is there.
# The build runs at the lowest priority; its log and the time it took are
# kept beside it (build.log, build-time.txt). A build that stops (an error,
# the machine going down) goes on from where it stopped when the script runs
# again, so its time is that of every run: each run notes its start and end
# in build-runs.txt, and build-time.txt gives their sum and the runs it took.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
cache_root=${XDG_CACHE_HOME:-$HOME/.cache}/tarnel
sources=$cache_root/sources

qt_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev 2>/dev/null || true)
[ -n "$qt_version" ] || { echo "windows-qt: qt6-base-dev is not installed (scripts/setup.sh)" >&2; exit 1; }
qt_upstream=${qt_version%%+*}

# The host's Qt (its moc, rcc, uic and CMake files serve the Windows build).
host_cmake=/usr/lib/$(gcc -print-multiarch)/cmake
[ -f "$host_cmake/Qt6HostInfo/Qt6HostInfoConfig.cmake" ] ||
  { echo "windows-qt: no Qt6HostInfo in $host_cmake (qt6-base-dev)" >&2; exit 1; }

# Every option that changes what is built; their hash names the folder.
qt_options=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR="$host_cmake"
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_tabletevent=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
  -DFEATURE_sql=ON -DFEATURE_sql_sqlite=ON -DFEATURE_system_sqlite=ON
  -DFEATURE_sql_odbc=OFF -DFEATURE_sql_psql=OFF -DFEATURE_sql_mysql=OFF
  -DFEATURE_sql_oci=OFF -DFEATURE_sql_ibase=OFF -DFEATURE_sql_db2=OFF
  -DFEATURE_network=ON -DFEATURE_openssl=OFF
  -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_vulkan=OFF
  -DFEATURE_icu=OFF -DFEATURE_glib=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_doubleconversion=OFF
)
sqlite_cflags=(-O2 -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS5
               -DSQLITE_ENABLE_RTREE -DSQLITE_OMIT_LOAD_EXTENSION)
hash=$(printf '%s\n' "$qt_version" "${qt_options[@]}" "${sqlite_cflags[@]}" \
  "$(cat cmake/mingw-w64-x86_64-posix.cmake cmake/mingw-w64-x86_64-posix-shared.cmake)" | sha256sum | cut -c1-10)
prefix=$cache_root/qt-$qt_upstream-mingw64-shared-release-$hash

# build_time QT_VERSION CORES <RUNS: the line for build-time.txt from the runs
# (build-runs.txt): their sum, and when there was more than one, each run's
# time and how it ended, so that a build finished by a short last run does
# not pass for a short build.
build_time() {
  local total=0 n=0 list=() start end how took
  while read -r start end how; do
    [ -n "$start" ] || continue
    took=$((end - start))
    total=$((total + took))
    n=$((n + 1))
    case $how in
      killed) how=' (stopped, its end taken from the log)' ;;
      failed) how=' (failed)' ;;
      *) how='' ;;
    esac
    list+=("$(printf '%dm%02ds' $((took / 60)) $((took % 60)))$how")
  done
  printf 'Qt %s, SQLite and QCustomPlot for MinGW-w64 built in %dh%02dm%02ds' \
    "$1" $((total / 3600)) $((total % 3600 / 60)) $((total % 60))
  if ((n > 1)); then
    local joined
    joined=$(printf '%s, ' "${list[@]}")
    printf ' over %d runs, resumed %d times (%s)' "$n" $((n - 1)) "${joined%, }"
  fi
  printf ' (%s, %s cores)\n' "$(date -u +%F)" "$2"
}
if [ "${1:-}" = --build-time ]; then
  # For the tests of this script: the line for build-time.txt from RUNS on standard input.
  build_time "${2:-$qt_version}" "${3:-$(nproc)}"
  exit
fi

if [ "${1:-}" = --check ]; then
  echo "$prefix"
  [ -f "$prefix/.complete" ]
  exit
fi
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

exec 3>&1 1>&2
build=$cache_root/build-$hash
mkdir -p "$build" "$prefix"
log=$prefix/build.log
# The runs of this build, one line each: its start, then its end and how it
# ended, in seconds since 1970. A run killed outright leaves its end out; the
# next run takes it from the last change of the log, which the build writes
# all along.
runs=$prefix/build-runs.txt
if [ -f "$runs" ] && [ "$(tail -n 1 "$runs" | wc -w)" = 1 ]; then
  sed -i "\$ s/\$/ $(stat -c %Y "$log" 2>/dev/null || tail -n 1 "$runs") killed/" "$runs"
fi
echo "$(date +%s)" >>"$runs"
run_ended() {
  local rc=$?
  sed -i "\$ s/^\([0-9]*\)\$/\1 $(date +%s) $( ((rc)) && echo failed || echo finished)/" "$runs"
}
trap run_ended EXIT
trap 'exit 130' INT TERM HUP
echo "==== windows-qt: a run started at $(date -u '+%F %T') UTC" >>"$log"
scripts/windows-sources.sh "$sources"
toolchain=$root/cmake/mingw-w64-x86_64-posix-shared.cmake
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cc=x86_64-w64-mingw32-gcc-posix
# Low priority: the rest of the machine goes first.
low=(nice -n 19)

# ---- SQLite: the amalgamation made on this machine, compiled for Windows ----
if [ ! -f "$prefix/lib/libsqlite3.a" ]; then
  echo "windows-qt: SQLite"
  rm -rf "$build/sqlite" && mkdir -p "$build/sqlite"
  (cd "$build/sqlite" && "${low[@]}" "$sources/sqlite3/configure" --disable-tcl >>"$log" 2>&1 &&
     "${low[@]}" make sqlite3.c >>"$log" 2>&1 &&
     "${low[@]}" "$cc" "${sqlite_cflags[@]}" -c sqlite3.c -o sqlite3.o >>"$log" 2>&1 &&
     x86_64-w64-mingw32-ar rcs libsqlite3.a sqlite3.o) || { tail -n 30 "$log"; exit 1; }
  mkdir -p "$prefix/include" "$prefix/lib"
  cp "$build/sqlite/sqlite3.h" "$sources/sqlite3/src/sqlite3ext.h" "$prefix/include/" 2>/dev/null ||
    cp "$build/sqlite/sqlite3.h" "$build/sqlite/sqlite3ext.h" "$prefix/include/"
  cp "$build/sqlite/libsqlite3.a" "$prefix/lib/"
fi

# ---- Qt ----
echo "windows-qt: Qt $qt_version for MinGW-w64 into $prefix (this takes a while)"
"${low[@]}" cmake -S "$sources/qt6-base" -B "$build/qt" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix" "${launcher[@]}" \
  "${qt_options[@]}" -DSQLite3_INCLUDE_DIR="$prefix/include" -DSQLite3_LIBRARY="$prefix/lib/libsqlite3.a" \
  >>"$log" 2>&1 || { tail -n 40 "$log"; exit 1; }
"${low[@]}" cmake --build "$build/qt" --parallel 2 >>"$log" 2>&1 || { grep -m5 -B2 -A20 'FAILED\|error:' "$log" | head -60; exit 1; }
cmake --install "$build/qt" >>"$log" 2>&1 || { tail -n 20 "$log"; exit 1; }

# ---- QCustomPlot: one library for the charts ----
echo "windows-qt: QCustomPlot"
rm -rf "$build/qcustomplot"
"${low[@]}" cmake -S "$root/cmake/qcustomplot" -B "$build/qcustomplot" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
  -DTARNEL_QCUSTOMPLOT_SOURCE="$sources/qcustomplot" >>"$log" 2>&1 || { tail -n 40 "$log"; exit 1; }
"${low[@]}" cmake --build "$build/qcustomplot" >>"$log" 2>&1 || { tail -n 40 "$log"; exit 1; }
cmake --install "$build/qcustomplot" >>"$log" 2>&1 || { tail -n 20 "$log"; exit 1; }

# The time it took: every run's, this one ending now.
trap - EXIT
sed -i "\$ s/^\([0-9]*\)\$/\1 $(date +%s) finished/" "$runs"
build_time "$qt_version" "$(nproc)" <"$runs" >"$prefix/build-time.txt"
rm -rf "$build"
touch "$prefix/.complete"
cat "$prefix/build-time.txt"
echo "$prefix" >&3
