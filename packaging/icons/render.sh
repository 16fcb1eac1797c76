#!/usr/bin/env bash
# Renders the committed 256 px PNG from the SVG, and the Windows icon from
# the PNG, so the build needs no SVG renderer or image tool. Run it after
# editing tarnel.svg (needs librsvg2-bin and imagemagick).
set -euo pipefail
cd "$(dirname "$0")"
rsvg-convert --width 256 --height 256 tarnel.svg --output tarnel-256.png
convert tarnel-256.png -define icon:auto-resize=256,64,48,32,16 ../windows/tarnel.ico
