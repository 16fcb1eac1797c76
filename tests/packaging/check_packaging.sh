#!/usr/bin/env bash
# check_packaging.sh CHECK BUILD_DIR WORK_DIR EXPECTED_LIST [NOT_BUILT...]
#
# Checks what `cmake --install` and `cpack -G DEB` make of BUILD_DIR.
# CHECK is one of:
#   install    install into WORK_DIR/prefix (the tree the next four read)
#   files      the installed files are exactly those in EXPECTED_LIST
#   desktop    the desktop entry is valid and its program, icon and file
#              type are installed; the desktop database links the type to it
#   metainfo   the AppStream file is valid and names installed things
#   mime       the file type database maps *.tarnel to the scheme type
#   deb        the .deb holds the same files and depends on Qt and the font
# NOT_BUILT lists entries of EXPECTED_LIST whose program this build does not
# define; they are left out of the comparison.
set -euo pipefail
check=$1 build=$2 work=$3 expected_list=$4
shift 4
not_built=("$@")
prefix=$work/prefix

fail() { echo "FAIL: $*" >&2; exit 1; }

expected_files() {
  local line skip n
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    skip=0
    for n in "${not_built[@]}"; do [ "$n" = "$line" ] && skip=1; done
    ((skip)) || echo "$line"
  done <"$expected_list" | LC_ALL=C sort
}

same_list() {  # same_list WHAT ACTUAL_FILE
  local diffs
  if ! diffs=$(diff <(expected_files) "$2"); then
    echo "$diffs" >&2
    fail "$1 differs from $expected_list (< expected, > actual)"
  fi
}

# desktop_key FILE KEY: the value of KEY in the [Desktop Entry] group.
desktop_key() {
  awk -v key="$2" '
    /^\[/ { group = $0; next }
    group == "[Desktop Entry]" && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }
  ' "$1"
}

case $check in
install)
  rm -rf "$work"
  mkdir -p "$work"
  cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "install"; }
  ;;

files)
  (cd "$prefix" && find . ! -type d | sed 's|^\./||' | LC_ALL=C sort) >"$work/installed.txt"
  same_list "the installed tree" "$work/installed.txt"
  for f in $(cat "$work/installed.txt"); do
    case $f in
      bin/*) [ -x "$prefix/$f" ] || fail "$f is not executable" ;;
      *) [ ! -x "$prefix/$f" ] || fail "$f is executable" ;;
    esac
  done
  ;;

desktop)
  entry=$prefix/share/applications/tarnel.desktop
  desktop-file-validate "$entry" || fail "desktop-file-validate $entry"
  read -r program args <<<"$(desktop_key "$entry" Exec)"
  [ -x "$prefix/bin/$program" ] || fail "Exec runs '$program', which is not installed in bin/"
  [[ " $args " =~ \ %[fFuU]\  ]] || fail "Exec='$program $args' passes no file to the program"
  icon=$(desktop_key "$entry" Icon)
  for f in "scalable/apps/$icon.svg" "256x256/apps/$icon.png"; do
    [ -f "$prefix/share/icons/hicolor/$f" ] || fail "icon '$icon' has no hicolor/$f"
  done
  file -b "$prefix/share/icons/hicolor/256x256/apps/$icon.png" | grep -q '^PNG image data, 256 x 256,' ||
    fail "the 256x256 icon is not a 256 x 256 PNG"
  file -b "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" | grep -q 'SVG' ||
    fail "the scalable icon is not an SVG"
  # The desktop database (as the system builds it) must offer this entry
  # for every type it lists.
  rm -rf "$work/applications" && cp -r "$prefix/share/applications" "$work/applications"
  update-desktop-database "$work/applications"
  IFS=';' read -ra types <<<"$(desktop_key "$entry" MimeType)"
  ((${#types[@]})) || fail "the desktop entry lists no MimeType"
  for t in "${types[@]}"; do
    [ -n "$t" ] || continue
    grep -q "^$t=.*tarnel\.desktop" "$work/applications/mimeinfo.cache" ||
      fail "the desktop database does not offer tarnel.desktop for $t"
    grep -q "type=\"$t\"" "$prefix"/share/mime/packages/*.xml || fail "$t is not declared in share/mime/packages"
  done
  ;;

metainfo)
  metainfo=$(ls "$prefix"/share/metainfo/*.metainfo.xml)
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate $metainfo"
  launchable=$(sed -n 's|.*<launchable type="desktop-id">\(.*\)</launchable>.*|\1|p' "$metainfo")
  [ -f "$prefix/share/applications/$launchable" ] || fail "launchable '$launchable' is not installed"
  id=$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "$metainfo")
  [ "$(basename "$metainfo")" = "$id.metainfo.xml" ] || fail "$(basename "$metainfo") is not named after its id $id"
  for b in $(sed -n 's|.*<binary>\(.*\)</binary>.*|\1|p' "$metainfo"); do
    [ -x "$prefix/bin/$b" ] || fail "provided binary '$b' is not installed"
  done
  for t in $(sed -n 's|.*<mediatype>\(.*\)</mediatype>.*|\1|p' "$metainfo"); do
    grep -q "type=\"$t\"" "$prefix"/share/mime/packages/*.xml || fail "provided media type $t is not declared"
  done
  ;;

mime)
  rm -rf "$work/mime" && cp -r "$prefix/share/mime" "$work/mime"
  update-mime-database "$work/mime"
  grep -qx 'application/x-tarnel-scheme:\*\.tarnel' <(cut -d: -f2- "$work/mime/globs2") ||
    fail "*.tarnel is not mapped to application/x-tarnel-scheme"
  grep -qx 'application/x-tarnel-scheme application/json' "$work/mime/subclasses" ||
    fail "application/x-tarnel-scheme is not a sub-class of application/json"
  for lang in '' zh_CN; do
    attr=${lang:+ xml:lang=\"$lang\"}
    grep -q "<comment$attr>[^<]" "$work/mime/application/x-tarnel-scheme.xml" ||
      fail "the scheme type has no comment${lang:+ in $lang}"
  done
  ;;

deb)
  rm -rf "$work/deb" && mkdir -p "$work"
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
  debs=("$work"/deb/*.deb)
  ((${#debs[@]} == 1)) && [ -f "${debs[0]}" ] || fail "cpack made ${#debs[@]} .deb files"
  deb=${debs[0]}
  echo "$(basename "$deb")"
  dpkg-deb -c "$deb" >"$work/deb-contents.txt"
  awk '$1 !~ /^d/ { print $NF }' "$work/deb-contents.txt" | sed 's|^\./usr/||' | LC_ALL=C sort >"$work/deb-files.txt"
  same_list "the .deb" "$work/deb-files.txt"
  awk '$1 !~ /^d/ && $2 != "root/root" { bad = 1; print } END { exit bad }' "$work/deb-contents.txt" ||
    fail "files in the .deb not owned by root"
  [ "$(dpkg-deb -f "$deb" Package)" = tarnel ] || fail "package name"
  [ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture"
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  IFS=',' read -ra deps <<<"$depends"
  for want in libqt6core6 libqt6gui6 libqt6widgets6 fonts-noto-cjk libc6; do
    found=0
    for d in "${deps[@]}"; do
      read -r name _ <<<"$d"
      [ "$name" = "$want" ] && found=1
    done
    ((found)) || fail "Depends lacks $want"
  done
  [ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail "no Maintainer"
  [ "$(dpkg-deb -f "$deb" Section)" = utils ] || fail "section"
  ;;

*)
  fail "unknown check '$check'"
  ;;
esac
echo "ok: $check"
