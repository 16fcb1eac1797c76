#!/usr/bin/env bash
# scripts/windows-sources.sh DIR: fetches into DIR the Debian source packages
# the Windows build of the window program is made from (Qt's base, SQLite and
# QCustomPlot), unpacked with Debian's patches, each in DIR/<package>/.
#
# apt works here from a sources list and a state folder of its own under
# DIR/apt (deb-src lines for the mirror and suite this machine installs
# from), so the machine's apt setup is left as it is. Qt's base is taken at
# the version of the host's Qt (its tools build the Windows one). A package
# already unpacked in DIR is not fetched again.
set -euo pipefail
dir=$1
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
apt_dir=$dir/apt

# The mirror and suite of this machine's Debian.
mirror=http://deb.debian.org/debian
suite=bookworm
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  uri=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' "$f" | grep -v security | head -n 1 || true)
  [ -n "$uri" ] || continue
  mirror=$uri
  suite=$(sed -n 's/^Suites: *\([^ ]*\).*/\1/p' "$f" | head -n 1)
  break
done

apt_options=(-o "Dir::Etc::sourcelist=$apt_dir/sources.list" -o "Dir::Etc::sourceparts=-"
             -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
             -o "Dir::State::status=/var/lib/dpkg/status" -o "APT::Get::List-Cleanup=0")

# version PACKAGE: the source version of an installed package, when it is installed.
host_version() { dpkg-query -W -f='${source:Version}' "$1" 2>/dev/null || true; }

wanted=()
qt_version=$(host_version qt6-base-dev)
[ -n "$qt_version" ] || { echo "windows-sources: qt6-base-dev is not installed (scripts/setup.sh)" >&2; exit 1; }
wanted+=("qt6-base=$qt_version" sqlite3 qcustomplot)

missing=()
for w in "${wanted[@]}"; do
  name=${w%%=*}
  [ -f "$dir/$name/.unpacked" ] || missing+=("$w")
done
((${#missing[@]})) || exit 0

mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
echo "deb-src $mirror $suite main" >"$apt_dir/sources.list"
if ! ls "$apt_dir"/lists/*Sources* >/dev/null 2>&1; then
  apt-get "${apt_options[@]}" update -q >"$apt_dir/update.log" 2>&1 ||
    { cat "$apt_dir/update.log" >&2; exit 1; }
fi

for w in "${missing[@]}"; do
  name=${w%%=*}
  work=$dir/.fetch-$name
  rm -rf "$work" "${dir:?}/$name"
  mkdir -p "$work"
  echo "windows-sources: fetching the Debian source of $w"
  (cd "$work" && apt-get "${apt_options[@]}" source -q "$w" >fetch.log 2>&1) ||
    { cat "$work/fetch.log" >&2; exit 1; }
  tree=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  [ -n "$tree" ] || { echo "windows-sources: $w unpacked nothing" >&2; exit 1; }
  mv "$tree" "$dir/$name"
  ls "$work" >"$dir/$name/.unpacked"
  rm -rf "$work"
done
