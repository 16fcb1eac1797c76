#!/usr/bin/env bash
# bench/paste_cases.sh PROBE [BYTES] [TIMEOUT]: one tarnel-paste-probe process per
# box and shape, every list box of both windows and one of each single-line kind.
# Prints the probe's lines; a case over TIMEOUT seconds prints "timeout".
set -u
probe=$1; bytes=${2:-10000000}; limit=${3:-60}
boxes=(
  "main T_jichu_dadi" "main T_main_shazhixuan" "main T_main_laji_fushi" "main T_main_sha_2ma"
  "main T_main_bichu_2ma" "main T_main_dw_sha[0]" "main T_main_dw_sha[1]" "main T_main_dw_sha[2]"
  "main T_main_dw2m[0]" "main T_main_dw2m[1]" "main T_main_dw2m[2]" "main T__hezhi_zhiding_sha"
  "main T_dd_jiaoji[0]" "main T_dd_jiaoji[1]" "2d T_2d_dd[0]" "2d T_2d_dd[1]"
  "main T_dadi_in[0]" "main T_lm_he[0]" "main T_hezhi_fanwei_1"
)
echo "window box shape bytes paste_ms run_ms page_ms total_ms cpu_ms peak_rss_mb kept"
for entry in "${boxes[@]}"; do
  read -r window box <<<"$entry"
  for shape in ${SHAPES:-run lines text}; do
    out=$(QT_QPA_PLATFORM=offscreen timeout "$limit" "$probe" "$window" "$box" "$shape" "$bytes" 2>/dev/null)
    [ -n "$out" ] && echo "$out" || echo "$window $box $shape $bytes timeout(${limit}s)"
  done
done
